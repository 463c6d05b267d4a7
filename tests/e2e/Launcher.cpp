#include "tests/e2e/Launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef ZYLORA_DIST_DIR
#error "ZYLORA_DIST_DIR must name the runnable folder of the Windows build"
#endif
#ifndef ZYLORA_WINE_RUN
#error "ZYLORA_WINE_RUN must name scripts/wine-run.sh"
#endif

namespace zylora::e2e {

namespace fs = std::filesystem;

Launcher::Launcher(Contents contents) {
    std::string pattern = (fs::temp_directory_path() / "zylora-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed: " + std::string(std::strerror(errno)));
    root_ = pattern;
    appDir_ = root_ / "app";
    log_ = root_ / "output.log";
    fs::create_directory(appDir_);
    // A missing build is reported by Start(), where the test asks for the exe.
    if (contents == Contents::Dist && fs::is_directory(ZYLORA_DIST_DIR)) {
        fs::copy(ZYLORA_DIST_DIR, appDir_, fs::copy_options::recursive);
    }
}

Launcher::~Launcher() {
    Kill();
    // The prefix's own Wine server would linger a while over a folder that is gone.
    if (!prefix_.empty()) {
        const std::string stop = "WINEPREFIX='" + prefix_.string() + "' wineserver -k >/dev/null 2>&1";
        if (std::system(stop.c_str()) != 0) {
        }
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string Launcher::WindowsPath(const fs::path& relative) const {
    std::string path = "Z:" + (appDir_ / relative).lexically_normal().string();
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

void Launcher::WriteFile(const fs::path& relative, const std::string& bytes) const {
    const fs::path path = appDir_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::optional<std::string> Launcher::ReadFile(const fs::path& relative) const {
    std::ifstream in(appDir_ / relative, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Launcher::UseOwnPrefix(int logPixels) {
    const char* preset = std::getenv("ZYLORA_WIN_PRESET");
    const fs::path project = fs::path(ZYLORA_WINE_RUN).parent_path().parent_path() / "build" /
                             (preset && std::string(preset) == "win64" ? "wineprefix64" : "wineprefix");
    prefix_ = root_ / "prefix";
    // Linked, not copied (it is large): Wine replaces a registry file by a new one when it
    // saves it, and the files that differ here are written anew.
    fs::copy(project, prefix_, fs::copy_options::recursive | fs::copy_options::create_hard_links |
                                   fs::copy_options::copy_symlinks);
    const std::string dots = [logPixels] {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(logPixels));
        return std::string(text);
    }();
    for (const char* name : {"user.reg", "system.reg"}) {
        const fs::path file = prefix_ / name;
        std::ifstream in(file, std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        in.close();
        std::string text = read.str();
        // Every place Wine reads the screen's resolution from.
        for (std::size_t at = text.find("\"LogPixels\"="); at != std::string::npos;
             at = text.find("\"LogPixels\"=", at + 1)) {
            const std::size_t end = text.find('\n', at);
            text.replace(at, end - at, "\"LogPixels\"=" + dots);
        }
        fs::remove(file);
        std::ofstream(file, std::ios::binary) << text;
    }
}

void Launcher::Start(const std::vector<std::string>& args) {
    if (pid_ > 0) throw std::logic_error("the program is already started");
    if (!fs::is_regular_file(Exe())) {
        throw std::runtime_error("zylora.exe is not built: nothing at " + std::string(ZYLORA_DIST_DIR) +
                                 "/zylora.exe (build the win32 preset first)");
    }
    std::vector<std::string> argv{ZYLORA_WINE_RUN, Exe().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    // The environment made before the fork: the child may only make async-signal-safe calls.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("ZYLORA_TEST_WINEPREFIX=", 0) != 0) env.emplace_back(*e);
    if (!prefix_.empty()) env.push_back("ZYLORA_TEST_WINEPREFIX=" + prefix_.string());
    std::vector<char*> cenv;
    for (auto& e : env) cenv.push_back(e.data());
    cenv.push_back(nullptr);

    const int logFd = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (logFd < 0) throw std::runtime_error("cannot create " + log_.string());
    const pid_t pid = fork();
    if (pid < 0) {
        close(logFd);
        throw std::runtime_error("fork failed: " + std::string(std::strerror(errno)));
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on. Its own group, so teardown can
        // take wine-run.sh, Wine's loader and the program down together.
        setpgid(0, 0);
        if (chdir(appDir_.c_str()) != 0) _exit(126);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, STDIN_FILENO);
        dup2(logFd, STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        execve(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    close(logFd);
    setpgid(pid, pid);  // also from here, so the group exists before any kill
    pid_ = pid;
    exitCode_.reset();
}

bool Launcher::Running() {
    if (pid_ <= 0 || exitCode_) return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == 0) return true;
    if (done == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else {
        exitCode_ = -1;
    }
    return false;
}

std::optional<int> Launcher::WaitForExit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return exitCode_;
}

void Launcher::Kill() {
    if (pid_ <= 0) return;
    // The group outlives its leader when Wine left children behind, so kill it either way.
    kill(-pid_, SIGKILL);
    if (!exitCode_) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    pid_ = -1;
}

std::string Launcher::Output() const {
    std::ifstream in(log_, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace zylora::e2e
