// Loads arbitrary bytes as a document file, walks every element reading every text,
// then appends to the document and saves it, checking that the index stays consistent.
#include "platform/process.h"
#include "vexa/xml/CXmlDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::wstring ScratchPath(const char* name)
{
    // Memory-backed when the system has it: the target runs thousands of times a second.
    static const std::filesystem::path folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    return (folder / (std::string(name) + std::to_string(platform::CurrentProcessId()) + ".xml")).wstring();
}

// Depth first through the cursor, without recursion: documents nest 65535 deep.
std::size_t WalkAll(CXmlDocument& document)
{
    std::size_t elements = 0;
    document.ResetPosition();
    while (document.LeaveElement()) {
    }
    document.ResetPosition();
    for (;;) {
        if (document.FindElement()) {
            ++elements;
            document.GetElementText();
            document.EnterElement();
            continue;
        }
        if (!document.LeaveElement())
            return elements;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring input = ScratchPath("xml_document_in_");
    if (std::FILE* file = std::fopen(std::filesystem::path(input).c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    CXmlDocument document;
    document.LoadFile(input);
    const std::size_t elements = WalkAll(document);

    document.ResetPosition();
    if (document.FindElement() && document.AddChildElement(L"Added", L"a&b]]>") &&
        document.SetAttribute(document.GetChildPosition(), L"k", L"v\"")) {
        if (document.GetChildText() != L"a&b]]>")
            std::abort();
        if (WalkAll(document) != elements + 1)
            std::abort();
    }
    document.SaveFile(ScratchPath("xml_document_out_"));
    return 0;
}
