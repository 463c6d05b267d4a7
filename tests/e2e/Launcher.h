// Runs zylora.exe under Wine in a throw-away copy of the runnable folder, so each test
// starts from the shipped Skins/ and Buttons/ plus exactly the files it writes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zylora::e2e {

class Launcher {
public:
    // What the program's folder starts with.
    enum class Contents { Dist, Empty };
    // Copies ZYLORA_DIST_DIR (or nothing) into a fresh temporary folder.
    explicit Launcher(Contents contents = Contents::Dist);
    // Kills what is still running and removes the folder.
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // The copied folder, which holds zylora.exe.
    const std::filesystem::path& Dir() const { return appDir_; }
    std::filesystem::path Exe() const { return appDir_ / "zylora.exe"; }

    // How the program names a file of its folder: Wine's drive Z: is the Unix root.
    std::string WindowsPath(const std::filesystem::path& relative) const;

    // Writes a file (given relative to Dir(), folders made as needed) byte for byte.
    void WriteFile(const std::filesystem::path& relative, const std::string& bytes) const;
    // The file's bytes, or nullopt when it does not exist.
    std::optional<std::string> ReadFile(const std::filesystem::path& relative) const;

    // Makes a copy of the project's Wine prefix beside the program's folder, with the screen
    // at `logPixels` dots per inch (Wine's LogPixels), and runs the program in it from then on.
    void UseOwnPrefix(int logPixels);

    // Starts zylora.exe through the project's wine-run.sh, in its own process group;
    // throws std::runtime_error when the exe is not there.
    void Start(const std::vector<std::string>& args = {});
    bool Running();
    // The exit code (128 + signal when killed by one), or nullopt if still running then.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    // Kills the whole process group and reaps it.
    void Kill();

    // What Wine and the program wrote to stdout and stderr, to explain a failure.
    std::string Output() const;

private:
    std::filesystem::path root_;    // the temporary folder
    std::filesystem::path appDir_;  // root_/app: the copy of the runnable folder
    std::filesystem::path log_;     // root_/output.log, outside the program's folder
    std::filesystem::path prefix_;  // the prefix of its own, if any
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

}  // namespace zylora::e2e
