// --pdf of qemcli: the report handed to qempdf, the program beside qemcli that lays it out with
// the window toolkit, so that qemcli itself never loads the toolkit.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "app/qemcli/Cli.h"
#include "app/qemcli/ReportWire.h"
#include "platform/DataDir.h"

extern char** environ;

namespace qem::cli {
namespace {

// Writes all of `bytes` to fd; false when the reader went away.
bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string ReadAll(int fd) {
    std::string out;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

}  // namespace

void WritePdf(const ReportHeading& heading, const Report& r, const std::string& file) {
    const std::filesystem::path writer = ProgramFolder() / "qempdf";
    if (access(writer.c_str(), X_OK) != 0)
        throw std::runtime_error("--pdf: this build of qemcli has no PDF output (no qempdf beside qemcli)");
    int in[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("--pdf: the PDF writer could not be started");
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(in[0]), close(in[1]);
        throw std::runtime_error("--pdf: the PDF writer could not be started");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    const std::string program = writer.string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(err[1]);
    if (spawned != 0) {
        close(in[1]), close(err[0]);
        throw std::runtime_error("--pdf: the PDF writer could not be started");
    }
    // A writer that stops reading must not end qemcli with SIGPIPE.
    struct sigaction ignore {
    }, saved{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &saved);
    WriteAll(in[1], EncodeReport({heading.title, heading.subject, heading.tableHeadFirst, heading.tableHeadCount}, r));
    close(in[1]);
    sigaction(SIGPIPE, &saved, nullptr);
    std::string reason = ReadAll(err[0]);
    close(err[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
        throw std::runtime_error("the PDF file " + file + " could not be written" +
                                 (reason.empty() ? std::string() : ": " + reason));
    }
}

}  // namespace qem::cli
