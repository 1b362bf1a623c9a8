// bench_startup [--runs N] PROGRAM [ARGUMENTS...]: how long the workstation
// takes from launch to its main window on the screen. Starts PROGRAM N times
// (default 10) on the X display of $DISPLAY and measures, for each start, the
// time from the fork to the X server's MapNotify of the first top-level
// window whose title holds "Varkol" (mapped), and to the first change of the
// window's top rows of pixels after that (painted: the page tabs drawn);
// then ends the program. Prints each time and the medians in milliseconds.
//
//     xvfb-run -s "-screen 0 1600x1000x24" build/test/bench/bench_startup build/test/varkol

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string WindowTitle(xcb_connection_t* connection, xcb_window_t window)
{
    const char* const names[] = {"_NET_WM_NAME", "WM_NAME"};
    for (const char* name : names) {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
        if (!atom)
            continue;
        xcb_get_property_reply_t* property = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr);
        free(atom);
        if (!property)
            continue;
        std::string title(static_cast<const char*>(xcb_get_property_value(property)),
                          xcb_get_property_value_length(property));
        free(property);
        if (!title.empty())
            return title;
    }
    return {};
}

// The pixels of the window's rows 4 to 35 (the tabs), empty when they
// cannot be read.
std::string TopRows(xcb_connection_t* connection, xcb_window_t window, uint16_t width)
{
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 4, width, 32, ~0u),
        nullptr);
    if (!image)
        return {};
    std::string pixels(reinterpret_cast<const char*>(xcb_get_image_data(image)),
                       xcb_get_image_data_length(image));
    free(image);
    return pixels;
}

struct StartTimes {
    double Mapped = -1;  // ms from launch to MapNotify
    double Painted = -1; // ms from launch to the first drawing after it
};

// The times of one launch; negative when the program ended or did not show
// its window within 30 s.
StartTimes MeasureOnce(xcb_connection_t* connection, char** command)
{
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        std::perror(command[0]);
        _exit(127);
    }
    const auto since = [start] {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    StartTimes times;
    xcb_window_t window = 0;
    uint16_t width = 0;
    std::string unpainted;
    const int fd = xcb_get_file_descriptor(connection);
    while (times.Painted < 0 && Clock::now() - start < std::chrono::seconds(30)) {
        if (window != 0) {
            // Mapped: wait for the first drawing, 1 ms apart.
            const std::string now = TopRows(connection, window, width);
            if (unpainted.empty())
                unpainted = now;
            else if (now != unpainted)
                times.Painted = since();
            else
                usleep(1000);
            continue;
        }
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (!event) {
            if (waitpid(child, nullptr, WNOHANG) == child)
                return {};
            fd_set read;
            FD_ZERO(&read);
            FD_SET(fd, &read);
            timeval wait{0, 20000};
            select(fd + 1, &read, nullptr, nullptr, &wait);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const double mapped = since();
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (!map->override_redirect &&
                WindowTitle(connection, map->window).find("Varkol") != std::string::npos) {
                times.Mapped = mapped;
                window = map->window;
                xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
                    connection, xcb_get_geometry(connection, window), nullptr);
                width = geometry ? geometry->width : 1;
                free(geometry);
            }
        }
        free(event);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // Events of the ended program's windows are of no interest.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
        free(event);
    return times;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 10;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--runs") == 0) {
        runs = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: bench_startup [--runs N] PROGRAM [ARGUMENTS...]\n");
        return 1;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "bench_startup: no X display (run it under xvfb-run)\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    std::vector<double> mapped;
    std::vector<double> painted;
    for (int i = 0; i < runs; ++i) {
        const StartTimes times = MeasureOnce(connection, argv + first);
        if (times.Painted < 0) {
            std::fprintf(stderr, "bench_startup: run %d showed no main window\n", i + 1);
            return 2;
        }
        std::printf("run %2d: mapped %7.1f ms, painted %7.1f ms\n", i + 1, times.Mapped,
                    times.Painted);
        mapped.push_back(times.Mapped);
        painted.push_back(times.Painted);
    }
    std::printf("median of %d runs: mapped %.1f ms (min %.1f), painted %.1f ms (min %.1f)\n", runs,
                Median(mapped), *std::min_element(mapped.begin(), mapped.end()), Median(painted),
                *std::min_element(painted.begin(), painted.end()));
    xcb_disconnect(connection);
    return 0;
}
