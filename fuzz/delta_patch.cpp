// Applies arbitrary bytes as a patch to a fixed installed file: a hostile patch may
// fail, but never write more than the size the list allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/ScratchFolder.h"
#include "platform/files.h"
#include "vexa/delta/FilePatch.h"

namespace {

constexpr std::uint64_t kNewSize = 256 * 1024;

// 64 KiB of text-like content, so patches made against it find matches.
const std::wstring& OldFile()
{
    static const std::wstring path = [] {
        const std::wstring old = fuzzing::ScratchFile("old.pak");
        std::vector<std::uint8_t> bytes(64 * 1024);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>('a' + (i * 7 + i / 13) % 26);
        fuzzing::WriteScratchFile(old, bytes.data(), bytes.size());
        return old;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring patch = fuzzing::ScratchFile("input.patch");
    fuzzing::WriteScratchFile(patch, data, size);
    const std::wstring out = fuzzing::ScratchFile("out.pak");

    std::wstring digest;
    if (ApplyFilePatch(OldFile(), patch, out, kNewSize, digest) == PatchResult::Done) {
        std::uint64_t written = 0;
        int error = 0;
        if (!platform::FileSize(out, written, error) || written > kNewSize || digest.size() != 32)
            std::abort();
    }
    return 0;
}
