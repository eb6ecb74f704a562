// Runs a program for a test with its output captured, or starts one in the
// background and reads its first line: fork and exec, no shell. A program
// named without a "/" is looked up in PATH.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct ProgramRun {
    int nExit = -1; // exit code; -1 when it did not end in time
    std::string out;
    std::string err;
};

// Runs argv to its end (at most timeoutMs; then it is killed and nExit is -1),
// with input on its standard input when given.
ProgramRun RunProgram(const std::vector<std::string>& argv, unsigned timeoutMs = 60000,
                      const std::string& input = {});

class BackgroundProgram {
public:
    BackgroundProgram() = default;
    ~BackgroundProgram();
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // Starts argv and waits at most timeoutMs for its first stdout line.
    // With bInput its standard input is a pipe for WriteLine, else nothing.
    bool Start(const std::vector<std::string>& argv, std::string* firstLine,
               unsigned timeoutMs = 30000, bool bInput = false);
    // The next line of its stdout (without the line end), at most timeoutMs.
    bool ReadLine(std::string* line, unsigned timeoutMs = 30000);
    // Writes a line to its standard input (started with bInput).
    bool WriteLine(const std::string& line);
    // Closes its standard input: it reads the end of its input.
    void CloseInput();
    // Starts argv with its output (stdout and stderr) going to outputFile.
    bool Launch(const std::vector<std::string>& argv, const std::string& outputFile);
    // Sends sig to the program.
    bool Signal(int sig);
    // Waits at most timeoutMs for it to end; its exit code, or -1.
    int Wait(unsigned timeoutMs = 30000);
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_inFd = -1;
};

// The path of a built program: a test program beside this one, or one of bin/.
std::string BuiltProgram(const std::string& name);

// A test server as a child process: started with argv, it prints "PORT <n>"
// when it listens (std::runtime_error when it does not within a minute);
// killed when the object goes.
class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& argv);
    int Port() const { return m_nPort; }

private:
    BackgroundProgram m_program;
    int m_nPort = 0;
};

// A loopback TCP port nobody listens on (for now): where a server can be
// started later.
int FreePort();
