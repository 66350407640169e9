// The Windows implementations of the platform services, run under Wine or on Windows: waits that
// sleep while a quit is pending, a connect that does not hold the thread, Winsock starts released
// only by their owner, files kept whole and with their attributes under non-ANSI names, locked between
// holders and cleaned of stale temporaries, and a clock setter that tells an unprivileged caller the
// clock was not set.
#include "app/utils.h"
#include "platform/clocksetter.h"
#include "platform/filestore.h"
#include "platform/localclock.h"
#include "platform/messagepump.h"
#include "platform/socketlayer.h"
#include "support/bmpwriter.h"
#include "support/tempdir.h"
#include "support/timeserver.h"
#include "worldmap/bmpfile.h"
#include "worldmap/citytable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <winsock2.h>

#include <windows.h>

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(Win32MessagePump, WaitsSleepWhileAQuitIsPendingAndTheQuitStays)
{
    const auto pump = MakeSystemMessagePump();
    PostQuitMessage(3);
    int calls = 0;
    const auto start = Clock::now();
    while (MsSince(start) < 500) {
        pump->HandleMessages(100);
        pump->HandleOneMessage();
        ++calls;
    }
    EXPECT_LE(calls, 8) << "the wait spins";
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

// A listener whose backlog is full drops further connection requests, as a server that never
// answers does.
class Unanswering {
public:
    Unanswering()
    {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        listen(m_listener, 0);
        port = ntohs(address.sin_port);
    }
    ~Unanswering()
    {
        closesocket(m_listener);
        WSACleanup();
    }
    Unanswering(const Unanswering&) = delete;
    Unanswering& operator=(const Unanswering&) = delete;
    std::uint16_t port = 0;

private:
    SOCKET m_listener = INVALID_SOCKET;
};

TEST(Win32SocketLayer, ConnectToAServerThatNeverAnswersReturnsAtOnce)
{
    const Unanswering server;
    const auto layer = MakeSystemSocketLayer();
    ASSERT_EQ(layer->Startup(0x0101), 0);
    std::vector<SocketHandle> sockets;
    long long slowest = 0;
    bool waiting = false;
    // The first requests fill the backlog; the ones after them are never answered.
    for (int i = 0; i < 6; ++i) {
        sockets.push_back(layer->OpenStream());
        const auto start = Clock::now();
        const int result = layer->Connect(sockets.back(), 0x7F000001, server.port);
        slowest = std::max(slowest, MsSince(start));
        waiting = waiting || (result == -1 && layer->LastError() == socket_error::kWouldBlock);
    }
    EXPECT_LT(slowest, 200);
    EXPECT_TRUE(waiting);
    std::uint8_t byte = 0;
    const auto start = Clock::now();
    EXPECT_EQ(layer->Receive(sockets.back(), byte, 150), ReceiveResult::Waiting);
    EXPECT_GE(MsSince(start), 140);
    for (const SocketHandle socket : sockets)
        layer->Close(socket);
    EXPECT_EQ(layer->Cleanup(), 0);
}

TEST(Win32SocketLayer, ARefusedConnectionIsReportedByTheReceive)
{
    const auto layer = MakeSystemSocketLayer();
    ASSERT_EQ(layer->Startup(0x0101), 0);
    const SocketHandle socket = layer->OpenStream();
    const int result = layer->Connect(socket, 0x7F000001, UnusedPort());
    if (result == -1 && layer->LastError() == socket_error::kWouldBlock) {
        std::uint8_t byte = 0;
        EXPECT_EQ(layer->Receive(socket, byte, 2000), ReceiveResult::Failed);
    } else {
        EXPECT_EQ(result, -1);
    }
    layer->Close(socket);
    layer->Cleanup();
}

TEST(Win32SocketLayer, CleanupReleasesOnlyTheLayersOwnStarts)
{
    const ScriptedTimeServer server(PromptReply(TimeBytes(0)));
    ASSERT_TRUE(server.Listening());
    const auto layer = MakeSystemSocketLayer();
    ASSERT_EQ(layer->Startup(0x0101), 0);
    EXPECT_EQ(layer->Cleanup(), 0);
    EXPECT_EQ(layer->Cleanup(), -1);
    EXPECT_EQ(layer->LastError(), socket_error::kNotInitialised);
    EXPECT_TRUE(AcceptsConnections(server.Port())) << "the server lost its sockets";
}

class Win32Files : public ::testing::Test {
protected:
    TempDir dir;
    // A folder whose name the ANSI code page cannot spell the UTF-8 way.
    std::filesystem::path folder = dir.Path() / std::filesystem::path(u8"Zürich");
    std::string Utf8(const std::string& name) const { return dir.Path().string() + "\\Z\xC3\xBCrich\\" + name; }
    void SetUp() override { std::filesystem::create_directory(folder); }
};

TEST_F(Win32Files, SettingsCityTableAndPicturesUnderAFolderWithANonAnsiName)
{
    const std::string ini = Utf8("chronivo.ini");
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "5"));
    EXPECT_TRUE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_EQ(ReadIniString(ini, "MainWin", "Top", 16, "0"), "6");
    EXPECT_TRUE(std::filesystem::exists(folder / "chronivo.ini"));

    std::ofstream(folder / "cities.dat", std::ios::binary) << BuiltInCityRows().front() << "\r\n";
    EXPECT_TRUE(PathExists(Utf8("cities.dat")));
    EXPECT_TRUE(ReadCityFile(Utf8("cities.dat")).has_value());

    BmpLayout picture;
    picture.rows = {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}};
    const Bytes bmp = Encode(picture);
    std::ofstream(folder / "map.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    EXPECT_EQ(RegularFileSize(Utf8("map.bmp")), bmp.size());
    EXPECT_EQ(ReadBmpFile(Utf8("map.bmp")).status, BmpStatus::Ok);
}

TEST_F(Win32Files, WriteKeepsTheFileAttributes)
{
    const std::string ini = Utf8("chronivo.ini");
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "5"));
    const std::wstring wide = (folder / "chronivo.ini").wstring();
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_EQ(ReadIniString(ini, "MainWin", "Top", 16, "0"), "6");
    // Wine's ReplaceFileW renames the new file over the old one and keeps none of its attributes.
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        EXPECT_TRUE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    }
}

TEST_F(Win32Files, ReadOnlyFileIsLeftWhole)
{
    const std::string ini = Utf8("chronivo.ini");
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "5"));
    const std::wstring wide = (folder / "chronivo.ini").wstring();
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_EQ(ReadIniString(ini, "MainWin", "Top", 16, "0"), "5");
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Files, FileOfTwoNamesIsRewrittenInPlace)
{
    const std::string ini = Utf8("chronivo.ini");
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "5"));
    const std::wstring other = (folder / "other.ini").wstring();
    ASSERT_TRUE(CreateHardLinkW(other.c_str(), (folder / "chronivo.ini").wstring().c_str(), nullptr));
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_EQ(ReadIniString(Utf8("other.ini"), "MainWin", "Top", 16, "0"), "6");
}

TEST_F(Win32Files, StaleTemporariesOfOurOwnAreRemovedAtTheNextSave)
{
    const auto make = [&](const char* name, bool old) {
        const std::wstring wide = (folder / name).wstring();
        HANDLE file =
            CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        if (old) {
            FILETIME now{};
            GetSystemTimeAsFileTime(&now);
            ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
            time.QuadPart -= 2 * 60 * 10'000'000ULL;
            const FILETIME before{time.LowPart, time.HighPart};
            SetFileTime(file, nullptr, nullptr, &before);
        }
        CloseHandle(file);
    };
    make("chronivo.ini.aB3xY9.tmp", true);
    make("chronivo.ini.fresh1.tmp", false);
    make("chronivo.ini.other.tmp", true);
    ASSERT_TRUE(WriteIniString(Utf8("chronivo.ini"), "MainWin", "Top", "5"));
    EXPECT_FALSE(std::filesystem::exists(folder / "chronivo.ini.aB3xY9.tmp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "chronivo.ini.fresh1.tmp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "chronivo.ini.other.tmp"));
}

TEST_F(Win32Files, LockIsExclusiveBetweenHolders)
{
    const std::string ini = Utf8("chronivo.ini");
    const FileLock first(ini);
    ASSERT_EQ(first.state(), LockState::Held);
    EXPECT_TRUE(std::filesystem::exists(folder / "chronivo.ini.lock"));
    // A second holder is told at once that the lock is taken.
    const auto start = Clock::now();
    const FileLock second(ini);
    EXPECT_EQ(second.state(), LockState::Busy);
    EXPECT_LT(MsSince(start), 1000);
}

// Run only where the caller is known to lack the right to set the clock (the Wine test script says
// so). Wine itself never moves the clock by more than a second, whoever asks.
TEST(Win32ClockSetter, AnUnprivilegedCallerIsToldTheClockWasNotSet)
{
    if (!std::getenv("CHRONIVO_UNPRIVILEGED"))
        GTEST_SKIP() << "set CHRONIVO_UNPRIVILEGED=1 when the test runs without the right to set the clock";
    const auto pump = MakeSystemMessagePump();
    const auto setter = MakeSystemClockSetter(*pump);
    EXPECT_FALSE(setter->SetSystemClock(MakeSystemLocalClock()->Now() + 1.0 / 24));
}

} // namespace
