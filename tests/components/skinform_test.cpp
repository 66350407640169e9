// The skin widget on Qt's off-screen platform: it sizes and shapes its form, refuses a parent that is
// no form, and moves the form only on a left drag without modifiers, telling the owner every time.
#include "app/mainpictures.h"
#include "components/USkinForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QMouseEvent>
#include <stdexcept>

namespace {

std::vector<std::uint8_t> Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> Picture(int width, int height, const char* format = "BMP")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 64));
    return Encoded(image, format);
}

std::unique_ptr<TSkinRegion> Shape()
{
    auto region = std::make_unique<TSkinRegion>();
    region->SetRects({{10, 0, 90, 5}, {0, 5, 100, 50}});
    return region;
}

TEST(SkinForm, AnEmptyOrNonBitmapPictureLeavesTheFormsSize)
{
    QWidget form;
    form.resize(300, 200);
    TSkinForm skin(&form);
    skin.LoadPicture({});
    EXPECT_EQ(form.size(), QSize(300, 200));
    skin.LoadPicture(Picture(100, 50, "PNG"));
    EXPECT_TRUE(skin.Picture().isNull());
    EXPECT_EQ(form.size(), QSize(300, 200));
    skin.LoadPicture(Picture(100, 50));
    EXPECT_EQ(form.size(), QSize(100, 50));
    EXPECT_EQ(skin.geometry(), QRect(0, 0, 100, 50));
}

TEST(SkinForm, ANonFormParentIsRefusedAfterItIsTaken)
{
    QWidget form;
    QWidget panel(&form);
    TSkinForm skin(&form);
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    try {
        skin.SetParent(&panel);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Please Drop on a Form");
    }
    EXPECT_EQ(skin.parentWidget(), &panel);
}

TEST(SkinForm, GivesItsFormTheHeldShapeAndAppliesItAgainOnAnEmptyWrite)
{
    QWidget form;
    TSkinForm skin(&form);
    skin.Loaded();
    EXPECT_TRUE(form.mask().isEmpty()) << "an empty shape leaves the form rectangular";
    skin.SetMask(Shape());
    const QRegion expected = QRegion(10, 0, 80, 5) + QRegion(0, 5, 100, 45);
    EXPECT_EQ(form.mask(), expected);
    form.clearMask();
    TSkinRegion* held = skin.Mask();
    skin.SetMask(nullptr);
    EXPECT_EQ(skin.Mask(), held);
    EXPECT_EQ(form.mask(), expected);
}

// The skin the program carries, prepared at build time, is its bitmap as the skin draws it; with
// transparency turned off, the bitmap's own pixels (the read-only picture is copied, not written).
TEST(SkinForm, TheCarriedSkinIsTheBuiltInBitmapAsDrawn)
{
    QFile bmp(QStringLiteral(CHRONIVO_RESOURCES_DIR "/skin/skin.bmp"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    const QByteArray bytes = bmp.readAll();
    QWidget loadedForm;
    TSkinForm loaded(&loadedForm);
    loaded.LoadPicture({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
    QRgb key = 0;
    const QImage carried = main_pictures::Skin(key);
    ASSERT_FALSE(carried.isNull());
    EXPECT_EQ(carried, loaded.Picture());
    EXPECT_EQ(key, QImage::fromData(bytes, "BMP").pixel(0, carried.height() - 1));

    QWidget form;
    TSkinForm skin(&form);
    skin.UsePreparedPicture(carried, key);
    EXPECT_EQ(form.size(), carried.size());
    skin.SetTransparent(false);
    EXPECT_EQ(skin.Picture(), QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST(SkinForm, LeavesOutThePixelsOfTheBottomLeftColourWhenTransparent)
{
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 64));
    image.setPixelColor(1, 0, Qt::blue);
    QWidget form;
    TSkinForm skin(&form);
    skin.LoadPicture(Encoded(image, "BMP"));
    QImage shown(4, 2, QImage::Format_ARGB32);
    shown.fill(Qt::transparent);
    skin.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(shown.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(shown.pixelColor(1, 0), QColor(Qt::blue));
    skin.SetTransparent(false);
    skin.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(128, 128, 64));
    skin.SetTransparent(true);
    shown.fill(Qt::transparent);
    skin.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(shown.pixelColor(0, 0).alpha(), 0) << "left out again after being put back";
    EXPECT_EQ(shown.pixelColor(1, 0), QColor(Qt::blue));
}

class SkinDragging : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_skin.LoadPicture(Picture(100, 50));
        m_form.move(200, 100);
        m_skin.OnMouseDown = [this](QMouseEvent*) { ++m_downs; };
        m_skin.OnMouseMove = [this](QMouseEvent*) { ++m_moves; };
    }

    // A press at (10, 20) of the skin, then a move by (30, 15), with these buttons and modifiers.
    void Drag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
    {
        const QPointF press(10, 20);
        QMouseEvent down(QEvent::MouseButtonPress, press, m_skin.mapToGlobal(press), button, button, modifiers);
        QApplication::sendEvent(&m_skin, &down);
        const QPointF to(40, 35);
        QMouseEvent move(QEvent::MouseMove, to, m_skin.mapToGlobal(to), Qt::NoButton, button, modifiers);
        QApplication::sendEvent(&m_skin, &move);
    }

    QWidget m_form;
    TSkinForm m_skin{&m_form};
    int m_downs = 0;
    int m_moves = 0;
};

TEST_F(SkinDragging, ALeftDragMovesTheFormByTheDrag)
{
    Drag(Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(m_form.pos(), QPoint(230, 115));
    EXPECT_EQ(m_skin.DownX(), 10);
    EXPECT_EQ(m_skin.DownY(), 20);
    EXPECT_EQ(m_downs, 1);
    EXPECT_EQ(m_moves, 1);
}

TEST_F(SkinDragging, OtherButtonsModifiersOrAFixedSkinLeaveTheFormButTellTheOwner)
{
    Drag(Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(m_skin.DownX(), 10) << "any button records the press";
    Drag(Qt::LeftButton, Qt::ShiftModifier);
    Drag(Qt::LeftButton, Qt::ControlModifier);
    Drag(Qt::LeftButton, Qt::AltModifier);
    m_skin.SetMoveable(false);
    Drag(Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(m_form.pos(), QPoint(200, 100));
    EXPECT_EQ(m_downs, 5);
    EXPECT_EQ(m_moves, 5);
}

} // namespace
