// The one place where the launcher reaches the command interpreter.

#ifndef LAUNCHER_COMMAND_RUNNER_H_
#define LAUNCHER_COMMAND_RUNNER_H_

/// Hands `command_line` unchanged to the C runtime's `system`, which runs it
/// with the interpreter named by COMSPEC (cmd.exe by default) and waits for
/// that interpreter to end. The result is deliberately ignored: each step of
/// the launch runs whatever happened in the steps before it.
void run_command(const char* command_line) noexcept;

#endif  // LAUNCHER_COMMAND_RUNNER_H_
