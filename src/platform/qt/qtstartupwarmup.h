// Work every Qt program does at its start, begun early on threads of their own so that it is done (or
// nearly) when the window first needs it: the system's font configuration is read while Qt connects
// to the display; then Qt's font list is made, and the session bus that the screen reader's bridge and
// the notification area speak over is connected, while the window is built. Nothing changes but when
// the work is done.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class StartUpWarmUp final {
public:
    // Made before the QApplication: begins reading the font configuration.
    StartUpWarmUp();
    ~StartUpWarmUp();
    StartUpWarmUp(const StartUpWarmUp&) = delete;
    StartUpWarmUp& operator=(const StartUpWarmUp&) = delete;

    // Made right after the QApplication, and so ended before it: the work on Qt's own objects runs
    // for its lifetime.
    class WithApplication final {
    public:
        explicit WithApplication(StartUpWarmUp& warmUp);
        ~WithApplication();
        WithApplication(const WithApplication&) = delete;
        WithApplication& operator=(const WithApplication&) = delete;

    private:
        StartUpWarmUp& m_warmUp;
        std::thread m_bus;
    };

private:
    enum class Stage { Starting, ApplicationMade, Ending };
    void Run();
    void MoveTo(Stage stage);
    // Ends the thread: at once while it waits for the application, else once its work is done.
    void Finish();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Stage m_stage = Stage::Starting;
    std::thread m_fonts;
};
