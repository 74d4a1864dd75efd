#include "platform/posix/iconv_text.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <string>
#include <utility>

namespace platform::posix {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
const size_t kFailed = static_cast<size_t>(-1);

// Opening a converter costs far more than most conversions, so each thread keeps
// the ones it has used; they are closed when the thread ends.
class ConverterCache {
public:
    ~ConverterCache()
    {
        for (auto& [key, converter] : converters_)
            if (converter != kNoConverter)
                iconv_close(converter);
    }

    iconv_t Get(const char* to, const char* from)
    {
        auto key = std::make_pair(std::string(to), std::string(from));
        auto found = converters_.find(key);
        if (found == converters_.end())
            found = converters_.emplace(std::move(key), iconv_open(to, from)).first;
        iconv_t converter = found->second;
        if (converter != kNoConverter)
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        return converter;
    }

private:
    std::map<std::pair<std::string, std::string>, iconv_t> converters_;
};

iconv_t Converter(const char* to, const char* from)
{
    thread_local ConverterCache cache;
    return cache.Get(to, from);
}

// Runs the converter over the whole input; onBadInput decides what replaces an
// input sequence the converter refuses and how many input bytes it covers.
// Returns the number of irreversible conversions iconv reported.
template <typename Output, typename OnBadInput>
size_t Convert(iconv_t converter, const char* input, size_t inputLeft, Output& out, OnBadInput onBadInput)
{
    using Unit = typename Output::value_type;
    Unit chunk[1024];
    size_t irreversible = 0;
    auto in = const_cast<char*>(input);
    bool flushing = false;
    for (;;) {
        auto outPtr = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof(chunk);
        const size_t result = flushing ? iconv(converter, nullptr, nullptr, &outPtr, &outLeft)
                                       : iconv(converter, &in, &inputLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(chunk, (sizeof(chunk) - outLeft) / sizeof(Unit));
        if (result != kFailed) {
            irreversible += result;
            if (flushing)
                return irreversible;
            flushing = true;
            continue;
        }
        if (error == E2BIG)
            continue;
        if (flushing || (error != EILSEQ && error != EINVAL))
            return irreversible;
        const size_t skipped = onBadInput(out, inputLeft, error);
        in += skipped;
        inputLeft -= skipped;
    }
}

// Encoded in the converter's current state, so that a shifting charset stays in step.
void AppendQuestionMark(iconv_t converter, std::string& out)
{
    wchar_t questionMark = L'?';
    auto in = reinterpret_cast<char*>(&questionMark);
    size_t inLeft = sizeof(questionMark);
    char encoded[16];
    auto outPtr = encoded;
    size_t outLeft = sizeof(encoded);
    iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(encoded, sizeof(encoded) - outLeft);
}

}  // namespace

bool IconvHasCharset(const char* charset)
{
    return Converter("WCHAR_T", charset) != kNoConverter && Converter(charset, "WCHAR_T") != kNoConverter;
}

bool IconvToWide(const char* charset, std::string_view bytes, std::wstring& out)
{
    out.clear();
    iconv_t converter = Converter("WCHAR_T", charset);
    if (converter == kNoConverter)
        return false;
    // A bad byte is replaced on its own and decoding resumes at the next one; an
    // incomplete sequence at the end stands for one replacement character.
    Convert(converter, bytes.data(), bytes.size(), out, [](std::wstring& text, size_t left, int error) {
        text.push_back(L'\xFFFD');
        return error == EINVAL ? left : size_t{1};
    });
    return true;
}

bool IconvFromWide(const char* charset, std::wstring_view text, std::string& out, bool* lossy)
{
    out.clear();
    iconv_t converter = Converter(charset, "WCHAR_T");
    if (converter == kNoConverter)
        return false;
    bool replaced = false;
    const size_t irreversible = Convert(converter, reinterpret_cast<const char*>(text.data()),
                                        text.size() * sizeof(wchar_t), out,
                                        [&](std::string& bytes, size_t left, int) {
                                            replaced = true;
                                            AppendQuestionMark(converter, bytes);
                                            return std::min(left, sizeof(wchar_t));
                                        });
    if (lossy)
        *lossy = replaced || irreversible > 0;
    return true;
}

}  // namespace platform::posix
