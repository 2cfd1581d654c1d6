#include "ui/dialog/ProcessFileDialog.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace VSTGUI {

namespace {

// Output beyond this is not a file list; the dialog is treated as failed.
constexpr size_t kMaxOutputBytes = 1 << 20;

UTF8String findProgram(const UTF8String& name, const UTF8String& searchPath)
{
    UTF8String path = searchPath;
    if (path.empty()) {
        const char* env = std::getenv("PATH");
        path = env ? env : "/usr/bin:/bin";
    }
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = path.find(':', start);
        const UTF8String folder = path.substr(start, end == UTF8String::npos ? UTF8String::npos
                                                                             : end - start);
        if (!folder.empty()) {
            const UTF8String candidate = folder + "/" + name;
            struct stat info{};
            if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (end == UTF8String::npos)
            break;
        start = end + 1;
    }
    return {};
}

UTF8String zenityPattern(const CFileExtension& filter)
{
    const UTF8String& ext = filter.getExtension();
    return ext.empty() || ext == "*" ? UTF8String("*") : "*." + ext;
}

// Splits the program's output into paths, one a line.
std::vector<UTF8String> splitLines(const UTF8String& output)
{
    std::vector<UTF8String> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == UTF8String::npos)
            end = output.size();
        if (end > start)
            lines.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class FailedDialog : public IFileDialog
{
public:
    explicit FailedDialog(UTF8String message) : message(std::move(message)) {}
    bool poll(FileDialogResult& result) override
    {
        result.files.clear();
        result.error = message;
        return true;
    }
    void cancel() override {}

private:
    UTF8String message;
};

class ProcessDialog : public IFileDialog
{
public:
    ProcessDialog(pid_t pid, int fd) : pid(pid), fd(fd) {}
    ~ProcessDialog() override { cancel(); }

    bool poll(FileDialogResult& result) override
    {
        if (finished) {
            result = outcome;
            return true;
        }
        char buffer[4096];
        while (fd >= 0) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got > 0) {
                if (output.size() + size_t(got) > kMaxOutputBytes)
                    overflow = true;
                else
                    output.append(buffer, size_t(got));
                continue;
            }
            if (got == 0)
                break;  // end of output: the dialog has ended
            if (errno == EINTR)
                continue;
            return false;  // EAGAIN: still running
        }
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
        // The output is closed; the child may still take a moment to exit: ask again later.
        int status = 0;
        pid_t waited;
        do {
            waited = waitpid(pid, &status, WNOHANG);
        } while (waited < 0 && errno == EINTR);
        if (waited == 0)
            return false;
        pid = -1;
        finished = true;
        if (!overflow && waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
            outcome.files = splitLines(output);
        else if (overflow)
            outcome.error = "the file dialog printed too much output";
        // Exit code 1 is the user cancelling: no files and no error.
        result = outcome;
        return true;
    }

    void cancel() override
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            pid = -1;
        }
        if (fd >= 0)
            close(fd);
        fd = -1;
        finished = true;
    }

private:
    pid_t pid;
    int fd;
    bool finished = false;
    bool overflow = false;
    UTF8String output;
    FileDialogResult outcome;
};

class ProcessDialogFactory : public IFileDialogFactory
{
public:
    ProcessDialogFactory(std::vector<UTF8String> programs, UTF8String searchPath)
        : programs(std::move(programs)), searchPath(std::move(searchPath)) {}

    std::unique_ptr<IFileDialog> start(const FileDialogRequest& request) override
    {
        for (const UTF8String& name : programs) {
            const UTF8String path = findProgram(name, searchPath);
            if (!path.empty())
                return spawn(path, dialogArguments(name, request));
        }
        UTF8String list;
        for (const UTF8String& name : programs)
            list += (list.empty() ? "" : " or ") + name;
        return std::make_unique<FailedDialog>(
            "No file dialog program was found. Please install " + list + ".");
    }

private:
    static std::unique_ptr<IFileDialog> spawn(const UTF8String& path,
                                              const std::vector<UTF8String>& arguments)
    {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0)
            return std::make_unique<FailedDialog>("cannot start the file dialog (pipe)");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(path.c_str()));
        for (const UTF8String& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);

        pid_t pid = -1;
        const int error = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        if (error != 0) {
            close(pipeEnds[0]);
            return std::make_unique<FailedDialog>("cannot start the file dialog " + path);
        }
        fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
        return std::make_unique<ProcessDialog>(pid, pipeEnds[0]);
    }

    std::vector<UTF8String> programs;
    UTF8String searchPath;
};

}  // namespace

std::vector<UTF8String> dialogArguments(const UTF8String& program,
                                        const FileDialogRequest& request)
{
    std::vector<UTF8String> args;
    UTF8String folder = request.initialDirectory;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    if (program == "kdialog") {
        if (!request.title.empty())
            args.insert(args.end(), {"--title", request.title});
        if (request.multiple)
            args.insert(args.end(), {"--multiple", "--separate-output"});
        args.push_back(request.kind == FileDialogRequest::kSaveFile    ? "--getsavefilename"
                       : request.kind == FileDialogRequest::kDirectory ? "--getexistingdirectory"
                                                                       : "--getopenfilename");
        args.push_back(folder + request.defaultSaveName);
        if (request.kind != FileDialogRequest::kDirectory && !request.filters.empty()) {
            UTF8String filter;
            for (const CFileExtension& f : request.filters) {
                if (!filter.empty())
                    filter += "\n";
                filter += zenityPattern(f) + "|" + f.getDescription();
            }
            args.push_back(filter);
        }
        return args;
    }
    args.push_back("--file-selection");
    if (!request.title.empty())
        args.push_back("--title=" + request.title);
    if (request.kind == FileDialogRequest::kSaveFile)
        args.insert(args.end(), {"--save", "--confirm-overwrite"});
    if (request.kind == FileDialogRequest::kDirectory)
        args.push_back("--directory");
    if (request.multiple)
        args.insert(args.end(), {"--multiple", "--separator=\n"});
    if (!folder.empty() || !request.defaultSaveName.empty())
        args.push_back("--filename=" + folder + request.defaultSaveName);
    for (const CFileExtension& f : request.filters)
        args.push_back("--file-filter=" + f.getDescription() + " | " + zenityPattern(f));
    return args;
}

std::shared_ptr<IFileDialogFactory> makeProcessFileDialogFactory(std::vector<UTF8String> programs,
                                                                 UTF8String searchPath)
{
    return std::make_shared<ProcessDialogFactory>(std::move(programs), std::move(searchPath));
}

std::shared_ptr<IFileDialogFactory> makeSystemFileDialogFactory()
{
    return makeProcessFileDialogFactory({"zenity", "kdialog"});
}

}  // namespace VSTGUI
