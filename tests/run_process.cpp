#include "run_process.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <signal.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// From here on, fsync and fdatasync fail with EIO in this process and what it
// runs; every other call goes through.
bool fail_flushes() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_fsync, 1, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_fdatasync, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program = {sizeof filter / sizeof filter[0], filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

[[noreturn]] void exec_child(const std::vector<std::string> &command,
                             const std::string &cwd, const RunOptions &options,
                             int in, int out, int err) {
  dup2(in, STDIN_FILENO);
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  if (chdir(cwd.c_str()) != 0) _exit(127);
  if (options.file_size_limit >= 0) {
    rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                    static_cast<rlim_t>(options.file_size_limit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  signal(SIGXFSZ, options.ignore_file_size_signal ? SIG_IGN : SIG_DFL);
  if (options.flush_fails && !fail_flushes()) _exit(127);
  std::vector<char *> argv;
  for (const std::string &word : command)
    argv.push_back(const_cast<char *>(word.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

RunResult run_process(const std::vector<std::string> &command,
                      const std::string &cwd, const RunOptions &options) {
  RunResult result;
  int out[2], err[2];
  if (command.empty() || pipe2(out, O_CLOEXEC) != 0 ||
      pipe2(err, O_CLOEXEC) != 0)
    return result;
  if (options.output_closed) {
    close(out[0]);  // before the program starts: every write it makes fails
    out[0] = -1;
  }
  int null_in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  pid_t pid = fork();
  if (pid == 0) exec_child(command, cwd, options, null_in, out[1], err[1]);
  close(null_in);
  close(out[1]);
  close(err[1]);

  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string *sinks[2] = {&result.out, &result.err};
  int open_pipes = options.output_closed ? 1 : 2;
  while (open_pipes > 0 && poll(fds, 2, -1) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  int wait_status = 0;
  if (pid > 0 && waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status))
    result.status = WEXITSTATUS(wait_status);
  return result;
}

Background start_process(const std::vector<std::string> &command,
                         const std::string &cwd) {
  Background program;
  int in[2], out[2];
  if (command.empty() || pipe2(in, O_CLOEXEC) != 0 ||
      pipe2(out, O_CLOEXEC) != 0)
    return program;
  int null_err = open("/dev/null", O_WRONLY | O_CLOEXEC);
  pid_t pid = fork();
  if (pid == 0) exec_child(command, cwd, {}, in[0], out[1], null_err);
  close(null_err);
  close(in[0]);
  close(out[1]);
  program.pid = pid;
  program.in = in[1];
  program.out = out[0];
  return program;
}

bool wait_for_output(const Background &program, const std::string &text,
                     std::string *seen) {
  seen->clear();
  char buffer[256];
  while (seen->find(text) == std::string::npos) {
    ssize_t n = read(program.out, buffer, sizeof buffer);
    if (n <= 0) return false;
    seen->append(buffer, static_cast<size_t>(n));
  }
  return true;
}

int finish_process(Background *program) {
  close(program->in);
  close(program->out);
  int wait_status = 0;
  bool exited = program->pid > 0 &&
                waitpid(program->pid, &wait_status, 0) == program->pid &&
                WIFEXITED(wait_status);
  *program = Background();
  return exited ? WEXITSTATUS(wait_status) : -1;
}
