#include "CProgramUnderBench.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

pid_t Spawn(const std::string& command, std::string* why) {
    std::vector<std::string> words = SplitCommand(command);
    if (words.empty()) {
        if (why)
            *why = "empty command";
        return -1;
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    // What the programs print would bury the figures.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        if (why)
            *why = words[0] + ": " + std::strerror(error);
        return -1;
    }
    return pid;
}

// Waits at most `timeoutMs` for the child to end; true when it has (its status in *status).
bool WaitForEnd(pid_t pid, int timeoutMs, int* status) {
    const auto start = BenchClock::now();
    for (;;) {
        const pid_t done = waitpid(pid, status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD))
            return true;
        if (MillisecondsSince(start) > timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
} // namespace

double MillisecondsSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

std::vector<std::string> SplitCommand(const std::string& command) {
    std::vector<std::string> words;
    std::istringstream in(command);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool RunToEnd(const std::string& command, int timeoutMs) {
    const pid_t pid = Spawn(command, nullptr);
    if (pid < 0)
        return false;
    int status = 0;
    if (!WaitForEnd(pid, timeoutMs, &status)) {
        kill(pid, SIGKILL);
        WaitForEnd(pid, 5000, &status);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool CProgramUnderBench::Launch(const std::string& command, std::string* why) {
    Stop();
    m_pid = Spawn(command, why);
    return m_pid > 0;
}

bool CProgramUnderBench::IsRunning() {
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
    }
    return true;
}

void CProgramUnderBench::Stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    if (!WaitForEnd(m_pid, 5000, &status)) {
        kill(m_pid, SIGKILL);
        WaitForEnd(m_pid, 5000, &status);
    }
    m_pid = -1;
}

CWindowList::CWindowList(xcb_connection_t* connection)
    : m_connection(connection), m_screen(xcb_setup_roots_iterator(xcb_get_setup(connection)).data) {
}

std::set<xcb_window_t> CWindowList::TopLevels() const {
    std::set<xcb_window_t> windows;
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_screen->root), nullptr));
    if (!tree)
        return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    windows.insert(children, children + xcb_query_tree_children_length(tree.get()));
    return windows;
}

xcb_window_t CWindowList::NewOverlay(const std::set<xcb_window_t>& before) const {
    std::vector<xcb_window_t> fresh;
    for (xcb_window_t window : TopLevels())
        if (!before.count(window))
            fresh.push_back(window);
    // All questions first, then the answers: one round trip, however many windows are new.
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (xcb_window_t window : fresh) {
        attributes.push_back(xcb_get_window_attributes(m_connection, window));
        geometries.push_back(xcb_get_geometry(m_connection, window));
    }
    xcb_window_t found = 0;
    for (size_t i = 0; i < fresh.size(); ++i) {
        Reply<xcb_get_window_attributes_reply_t> attr(
            xcb_get_window_attributes_reply(m_connection, attributes[i], nullptr));
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, geometries[i], nullptr));
        if (found || !attr || !geometry || attr->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        // gromit-mpx leaves the screen's last row free, a desktop's panels may take more.
        if (geometry->x <= 0 && geometry->y <= 0 &&
            geometry->x + geometry->width >= m_screen->width_in_pixels &&
            geometry->y + geometry->height >= m_screen->height_in_pixels * 9 / 10)
            found = fresh[i];
    }
    return found;
}

double WaitForOverlay(const CWindowList& windows, const std::set<xcb_window_t>& before,
                      CProgramUnderBench& program, BenchClock::time_point launched, int periodMs,
                      int timeoutMs) {
    for (int poll = 1;; ++poll) {
        if (windows.NewOverlay(before))
            return MillisecondsSince(launched);
        if (!program.IsRunning() || MillisecondsSince(launched) > timeoutMs)
            return -1;
        std::this_thread::sleep_until(launched + std::chrono::milliseconds(poll * periodMs));
    }
}

CSampleFigures::CSampleFigures(std::vector<double> samples) : m_sorted(std::move(samples)) {
    std::sort(m_sorted.begin(), m_sorted.end());
}

double CSampleFigures::Percentile(double p) const {
    if (m_sorted.empty())
        return 0;
    // Linear between the closest ranks.
    const double rank = p / 100.0 * double(m_sorted.size() - 1);
    const size_t below = size_t(std::floor(rank));
    const size_t above = std::min(below + 1, m_sorted.size() - 1);
    return m_sorted[below] + (rank - double(below)) * (m_sorted[above] - m_sorted[below]);
}
