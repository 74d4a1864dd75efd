// Reads arbitrary bytes as a "deltas.xml"; every entry that comes out must be found
// again by its file and source digest, and survive being written and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/ScratchFolder.h"
#include "vexa/delta/DeltaManifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring input = fuzzing::ScratchFile("deltas.xml");
    fuzzing::WriteScratchFile(input, data, size);

    CDeltaManifest manifest;
    if (!ReadDeltaManifest(input, manifest))
        return 0;
    for (const CDeltaEntry& entry : manifest)
        if (!FindDelta(manifest, entry.fileName, entry.sourceMd5))
            std::abort();

    const std::wstring output = fuzzing::ScratchFile("again.xml");
    CDeltaManifest again;
    if (!WriteDeltaManifest(manifest, output) || !ReadDeltaManifest(output, again) || again.size() != manifest.size())
        std::abort();
    return 0;
}
