#include "tests/support/ClientTree.h"

#include "tests/support/ChildProcess.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testing_support {

ClientTree::ClientTree(const std::filesystem::path& program, const std::string& moduleFolder)
    : root_(temp_.Path() / "root"), module_(root_ / moduleFolder), program_(module_ / program.filename())
{
    std::filesystem::create_directories(module_);
    std::filesystem::copy_file(program, program_);
}

int ClientTree::Run(const std::vector<std::string>& arguments) const
{
    ChildOptions options;
    options.arguments = arguments;
    ChildProcess child(program_.string(), options);
    return child.Wait() ? child.ExitCode() : -1;
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace testing_support
