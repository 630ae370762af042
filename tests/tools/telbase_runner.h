#pragma once

// Helpers for tests that run the real telbase program in a folder of their own.

#include <string>
#include <vector>

namespace telbase::testing {

struct RunResult
{
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs telbase with args in folder dir (the working folder), stdin empty.
RunResult runTelbase(const std::vector<std::string> &args, const std::string &dir);

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);
bool fileExists(const std::string &path);

} // namespace telbase::testing
