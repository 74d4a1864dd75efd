#include "vexa/xml/CXmlDocument.h"
#include "vexa/xml/WideUnits.h"

#include <cstdint>

namespace {

constexpr std::size_t kEntityBuckets = 130;
constexpr std::size_t kLongestReference = 9;
constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

// The character entities of HTML 4 plus "apos". Bucket = sum of the name's character
// codes modulo 130; each entry: '0' + name length, four digits of code point, the name.
const wchar_t* const kEntityTable[kEntityBuckets] = {
    L"60248oslash60249ugrave",
    L"58968lceil50969omega60253yacute",
    L"50948delta50238icirc68472weierp",
    L"48659dArr40185sup1",
    L"68970lfloor40178sup2",
    L"50222THORN60164curren50954kappa58212mdash40179sup3",
    L"59830diams58211ndash",
    L"40921Iota48660hArr68855otimes58969rceil",
    L"50244ocirc50339oelig58482trade",
    L"40196Auml50229aring50963sigma",
    L"50180acute68971rfloor50732tilde",
    L"48656lArr68249lsaquo",
    L"58734infin68201thinsp",
    L"40203Euml50161iexcl",
    L"40918Zeta50952theta50251ucirc",
    L"58254oline",
    L"30935Chi58260frasl68727lowast",
    L"40207Iuml59827clubs60191iquest48658rArr68250rsaquo",
    L"58629crarr50181micro",
    L"58222bdquo",
    L"48657uArr",
    L"60177plusmn58242prime",
    L"30919Eta40946beta",
    L"40214Ouml",
    L"",
    L"",
    L"50171laquo50215times",
    L"40710circ",
    L"49001lang",
    L"30934Phi40220Uuml58220ldquo40175macr",
    L"40182para50163pound48476real",
    L"",
    L"58713notin50187raquo",
    L"40376Yuml48773cong50223szlig50978upsih",
    L"58776asymp58801equiv49002rang58218sbquo",
    L"48595darr40402fnof58221rdquo50254thorn",
    L"40162cent58722minus",
    L"30929Rho58707exist40170ordf",
    L"30932Tau",
    L"58709empty48596harr40953iota",
    L"30936Psi",
    L"40228auml48226bull40167sect48838sube",
    L"",
    L"48592larr58853oplus",
    L"30176deg58216lsquo40186ordm",
    L"40235euml48712isin40160nbsp40039apos",
    L"40950zeta",
    L"38743and48195emsp48719prod",
    L"38745cap30967chi48194ensp",
    L"40239iuml48706part48869perp48594rarr",
    L"38736ang48836nsub58217rsquo",
    L"",
    L"48901sdot48593uarr",
    L"40169copy48364euro",
    L"30951eta",
    L"20928Pi40246ouml48839supe",
    L"",
    L"60923Lambda",
    L"30038amp30174reg",
    L"48733prop",
    L"50198AElig60199Ccedil",
    L"30240eth30966phi40252uuml",
    L"",
    L"20926Xi",
    L"20924Mu",
    L"20925Nu40255yuml",
    L"68225Dagger",
    L"40034quot48204zwnj",
    L"38746cup68756there4",
    L"30961rho38764sim",
    L"38834sub30964tau",
    L"38747int38206lrm38207rlm",
    L"30968psi30165yen",
    L"",
    L"50338OElig28805ge30168uml",
    L"60193Aacute60195Atilde30982piv",
    L"",
    L"70927Omicron30172not",
    L"60192Agrave",
    L"60201Eacute28804le",
    L"70917Epsilon30173shy",
    L"39674loz28800ne38721sum",
    L"60200Egrave",
    L"60205Iacute",
    L"38835sup",
    L"28715ni",
    L"60204Igrave",
    L"20960pi38205zwj",
    L"60209Ntilde",
    L"60211Oacute60213Otilde20062gt60955lambda",
    L"",
    L"",
    L"50194Acirc60210Ograve60231ccedil",
    L"50915Gamma",
    L"60352Scaron20060lt",
    L"30208ETH60218Uacute28744or20958xi",
    L"50913Alpha50202Ecirc70933Upsilon20956mu",
    L"20957nu",
    L"60216Oslash60217Ugrave68224dagger",
    L"50937Omega60221Yacute80977thetasym",
    L"50916Delta50206Icirc",
    L"",
    L"",
    L"50922Kappa78501alefsym",
    L"",
    L"",
    L"50212Ocirc",
    L"50197Aring50931Sigma60225aacute60227atilde",
    L"",
    L"60247divide70959omicron",
    L"60224agrave",
    L"60233eacute60962sigmaf",
    L"50920Theta50219Ucirc70949epsilon",
    L"",
    L"60232egrave",
    L"60237iacute",
    L"",
    L"",
    L"68230hellip60236igrave",
    L"58243Prime60166brvbar",
    L"40914Beta68704forall58711nabla60241ntilde69824spades",
    L"60189frac1260183middot60243oacute60245otilde",
    L"",
    L"50184cedil60188frac14",
    L"50226acirc50230aelig60242ograve",
    L"60190frac3450947gamma58465image58730radic",
    L"60353scaron",
    L"69829hearts60250uacute",
    L"50945alpha50234ecirc70965upsilon",
    L"68240permil",
};

std::uint32_t NamedEntity(std::wstring_view name)
{
    unsigned sum = 0;
    for (wchar_t c : name)
        sum += static_cast<unsigned>(c);
    for (const wchar_t* entry = kEntityTable[sum % kEntityBuckets]; *entry;) {
        const auto length = static_cast<std::size_t>(entry[0] - L'0');
        const std::wstring_view entryName(entry + 5, length);
        if (entryName == name) {
            std::uint32_t value = 0;
            for (int i = 1; i <= 4; ++i)
                value = value * 10 + static_cast<std::uint32_t>(entry[i] - L'0');
            return value;
        }
        entry += 5 + length;
    }
    return 0;
}

int DigitValue(wchar_t c, int base)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (base == 16 && c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (base == 16 && c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// 0 when the digits are not all of the base or there are none.
std::uint32_t NumberValue(std::wstring_view digits, int base)
{
    std::uint64_t value = 0;
    for (wchar_t c : digits) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return 0;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    return value <= kLastCodePoint ? static_cast<std::uint32_t>(value) : 0;
}

// The code point of a reference body (between "&" and ";"), 0 when it names none.
std::uint32_t ReferenceValue(std::wstring_view body)
{
    if (body.size() >= 2 && body[0] == L'#' && (body[1] == L'x' || body[1] == L'X'))
        return NumberValue(body.substr(2), 16);
    if (!body.empty() && body[0] == L'#')
        return NumberValue(body.substr(1), 10);
    return NamedEntity(body);
}

// Length of the body before ";" when one comes within the limit, else npos.
std::size_t ReferenceBodyLength(std::wstring_view text, std::size_t ampersand)
{
    for (std::size_t k = 0; k <= kLongestReference; ++k) {
        const std::size_t at = ampersand + 1 + k;
        if (at >= text.size() || text[at] >= 128)
            return std::wstring_view::npos;
        if (text[at] == L';')
            return k;
    }
    return std::wstring_view::npos;
}

void MakeRoom(std::wstring& out, std::size_t needed)
{
    if (out.capacity() - out.size() < needed)
        out.reserve(out.capacity() * 4);
}

}  // namespace

std::wstring CXmlDocument::UnescapeText(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t ampersand = text.find(L'&', i);
        out.append(text.substr(i, ampersand - i));
        if (ampersand == std::wstring_view::npos)
            break;
        const std::size_t length = ReferenceBodyLength(text, ampersand);
        const std::uint32_t value =
            length == std::wstring_view::npos ? 0 : ReferenceValue(text.substr(ampersand + 1, length));
        if (value == 0) {
            out += L'&';
            i = ampersand + 1;
        } else {
            AppendCodePoint(out, value);
            i = ampersand + length + 2;
        }
    }
    return out;
}

std::wstring CXmlDocument::EscapeText(std::wstring_view text, std::uint32_t options)
{
    constexpr std::size_t kLongestEscape = 6;
    const bool quotes = options & XAO_ESCAPE_QUOTES;
    std::wstring out;
    out.reserve(text.size() + text.size() / 10 + 7);
    for (wchar_t c : text) {
        MakeRoom(out, kLongestEscape);
        switch (c) {
        case L'<': out += L"&lt;"; break;
        case L'&': out += L"&amp;"; break;
        case L'>': out += L"&gt;"; break;
        case L'\'': quotes ? out += L"&apos;" : out += c; break;
        case L'"': quotes ? out += L"&quot;" : out += c; break;
        default: out += c; break;
        }
    }
    return out;
}
