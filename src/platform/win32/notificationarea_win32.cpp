#include "platform/win32/notificationarea_win32.h"

#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

constexpr UINT kCallbackMessage = WM_USER; // 0x400
constexpr const char* kWindowClass = "ChronivoTrayIconWindow";

// The icon as a Windows icon handle: a 32-bit colour bitmap with its alpha and an empty mask. The
// pixels 0xAARRGGBB lie in memory as B, G, R, A, the order of a 32-bit DIB.
HICON MakeIcon(const TIcon& picture)
{
    if (picture.Empty())
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height; // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(picture.width, picture.height, 1, 1, nullptr);
    HICON icon = nullptr;
    if (colour && mask && bits) {
        std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof(picture.pixels[0]));
        ICONINFO iconInfo{};
        iconInfo.fIcon = TRUE;
        iconInfo.hbmMask = mask;
        iconInfo.hbmColor = colour;
        icon = CreateIconIndirect(&iconInfo);
    }
    if (colour)
        DeleteObject(colour);
    if (mask)
        DeleteObject(mask);
    return icon;
}

// The tip in the user's ANSI code page, at most 63 bytes and a zero: the first version's field (newer
// headers declare a longer one, of which that version reads the first 64 bytes).
constexpr int kTipField = 64;

void CopyTip(const std::string& utf8, CHAR* field)
{
    std::memset(field, 0, kTipField);
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0)
        return;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLength);
    // Whole characters only: shorten the text until its ANSI form fits.
    for (std::size_t characters = wide.size(); characters > 0; --characters) {
        const int written = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(characters), field,
                                                kTipField - 1, nullptr, nullptr);
        if (written > 0) {
            field[written] = '\0';
            return;
        }
    }
}

class Win32NotificationArea final : public NotificationArea {
public:
    Win32NotificationArea()
    {
        m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Win32NotificationArea::WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass); // fails harmlessly when a second area registers it again
        // A hidden top-level window: a message-only one would miss the "TaskbarCreated" broadcast.
        m_window = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance,
                                   nullptr);
        if (m_window)
            SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~Win32NotificationArea() override
    {
        if (m_window) {
            SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
            DestroyWindow(m_window);
        }
        if (m_addedIcon)
            DestroyIcon(m_addedIcon);
    }

    Win32NotificationArea(const Win32NotificationArea&) = delete;
    Win32NotificationArea& operator=(const Win32NotificationArea&) = delete;

    bool Add(const NotifyIconData& data) override
    {
        HICON icon = MakeIcon(data.icon);
        NOTIFYICONDATAA record = Record(data, icon);
        if (!m_window || !Shell_NotifyIconA(NIM_ADD, &record)) {
            if (icon)
                DestroyIcon(icon);
            return false;
        }
        // The record of the add is kept, its icon handle with it, to delete the icon and to add it
        // again when the taskbar comes back.
        if (m_addedIcon)
            DestroyIcon(m_addedIcon);
        m_addedIcon = icon;
        m_added = record;
        m_isAdded = true;
        return true;
    }

    bool Modify(const NotifyIconData& data) override
    {
        HICON icon = MakeIcon(data.icon);
        NOTIFYICONDATAA record = Record(data, icon);
        const bool done = m_window && Shell_NotifyIconA(NIM_MODIFY, &record);
        // The shell copies the icon; the previous modify's handle is no longer in use.
        if (m_modifiedIcon)
            DestroyIcon(m_modifiedIcon);
        m_modifiedIcon = icon;
        return done;
    }

    bool Delete(const NotifyIconData& data) override
    {
        NOTIFYICONDATAA record = Record(data, nullptr);
        record.uFlags = 0;
        if (!m_window || !Shell_NotifyIconA(NIM_DELETE, &record))
            return false;
        m_isAdded = false;
        return true;
    }

    bool Present() const override { return FindWindowA("Shell_TrayWnd", nullptr) != nullptr; }

    ScreenPoint CursorPos() const override
    {
        POINT point{};
        GetCursorPos(&point);
        return {static_cast<int>(point.x), static_cast<int>(point.y)};
    }

    void SetReceiver(Receiver receiver) override { m_receiver = std::move(receiver); }

private:
    NOTIFYICONDATAA Record(const NotifyIconData& data, HICON icon) const
    {
        NOTIFYICONDATAA record{};
        // The first version of the record: 88 bytes on 32-bit Windows (hWnd and hIcon are wider on 64-bit).
        record.cbSize = NOTIFYICONDATAA_V1_SIZE;
        record.hWnd = m_window;
        record.uID = data.id;
        record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        record.uCallbackMessage = kCallbackMessage;
        record.hIcon = icon;
        CopyTip(data.tip, record.szTip);
        return record;
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == kCallbackMessage) {
            const Receiver receiver = m_receiver; // the receiver may end the icon while it runs
            if (receiver)
                receiver(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
            return 0;
        }
        if (message == m_taskbarCreated && m_isAdded) {
            // Explorer started again: its new notification area knows no icons.
            Shell_NotifyIconA(NIM_ADD, &m_added);
            return 0;
        }
        return DefWindowProcA(m_window, message, wParam, lParam);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Win32NotificationArea*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!self)
            return DefWindowProcA(window, message, wParam, lParam);
        return self->Handle(message, wParam, lParam);
    }

    HWND m_window = nullptr;
    UINT m_taskbarCreated = 0;
    NOTIFYICONDATAA m_added{};
    bool m_isAdded = false;
    HICON m_addedIcon = nullptr;
    HICON m_modifiedIcon = nullptr;
    Receiver m_receiver;
};

} // namespace

std::unique_ptr<NotificationArea> MakeWin32NotificationArea()
{
    return std::make_unique<Win32NotificationArea>();
}
