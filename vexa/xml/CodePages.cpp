#include "vexa/xml/CodePages.h"

#include "vexa/xml/AsciiCase.h"
#include "vexa/xml/CTextConverter.h"

namespace {

constexpr std::size_t kBucketCount = 155;
constexpr std::size_t kLongestName = 100;

// Bucket = sum of the lowercased name's character codes modulo 155. Each entry: two
// digits of name length, five digits of code page, the lowercased name.
const wchar_t* const kAliasBuckets[kBucketCount] = {
    L"0800949ksc_5601",
    L"0920003x-cp200031920932cseucpkdfmtjapanese",
    L"0920004x-cp200040228591l11250221_iso-2022-jp",
    L"0920005x-cp200050228592l2",
    L"0600850ibm8501000858ccsid008580228593l3",
    L"0600437ibm4370600860ibm8600701201ucs-2be0228594l4",
    L"0600852ibm8520600861ibm8610501250ms-ee0228599l50751932cp51932",
    L"0700858cp008580600862ibm8621010021x-mac-thai0620127ibm3670920261x-cp20261",
    L"0600737ibm7370600863ibm8630500869cp-gr1057003x-iscii-be",
    L"0600855ibm8550600864ibm8640628591ibm8190750221ms50221",
    L"0600775ibm7750600865ibm8650300949uhc1028591iso-ir-1000228605l91057002x-iscii-de",
    L"0600857ibm8570500861cp-is0600866ibm8661028592iso-ir-1011028594iso-ir-110",
    L"0950227x-cp50227",
    L"0320866koi1628598csisolatinhebrew1057008x-iscii-ka",
    L"0600869ibm8691000950big5-hkscs1220106x-ia5-german",
    L"0701200ucs-2le0712001utf32be0920269x-cp202691057009x-iscii-ma",
    L"0500437cspc80800708asmo-7080612000utf-320920936x-cp209361765000unicode-1-1-utf-7",
    L"1200775ebcdic-cp-be0701201utf16be0628598hebrew0551932x-euc1765001unicode-1-1-utf-81765001unicode-2-0-utf-8",
    L"0601200utf-161028595iso-ir-1441028597iso-ir-1260728605latin-91057011x-iscii-pa",
    L"1028593iso-ir-1091028596iso-ir-1270751932ms51932",
    L"0600949korean0801253ms-greek0920949x-cp209491128605iso_8859-151050225iso2022-kr",
    L"1200775ebcdic-cp-ch1028598iso-ir-1381450221iso-2022-jp-ms1057006x-iscii-as",
    L"1028599iso-ir-1481057004x-iscii-ta",
    L"1000949iso-ir-1490820127us-ascii",
    L"",
    L"1900850cspc850multilingual1000936gb_2312-800712000utf32le",
    L"1300949csksc560119871057005x-iscii-te1965000x-unicode-2-0-utf-7",
    L"0701200utf16le0928591iso8859-11965001x-unicode-2-0-utf-8",
    L"1000932x-ms-cp9321420002x_chinese-eten0520866koi8r0928592iso8859-2",
    L"1320000x-chinese-cns0928593iso8859-31138598iso8859-8-i1057010x-iscii-gu",
    L"0928594iso8859-4",
    L"0928595iso8859-51150221csiso2022jp",
    L"0900154csptcp1540928596iso8859-6",
    L"1400154cyrillic-asian0900932shift_jis0928597iso8859-7",
    L"0928598iso8859-81150225csiso2022kr1057007x-iscii-or",
    L"0721866koi8-ru0928599iso8859-9",
    L"0910000macintosh",
    L"",
    L"",
    L"",
    L"0800936gb2312801210004x-mac-arabic1520108x-ia5-norwegian0628598visual",
    L"",
    L"0829001x-europa",
    L"",
    L"1510079x-mac-icelandic",
    L"0800932sjis-win1128591csisolatin1",
    L"1128592csisolatin2",
    L"1400949ks_c_5601-19871128593csisolatin3",
    L"1128594csisolatin4",
    L"1400949ks_c_5601-19890400950big51128595csisolatin5",
    L"0500775cp5001565000csunicode11utf7",
    L"0501361johab",
    L"1100437codepage4371100932windows-932",
    L"1800862cspc862latinhebrew1310081x-mac-turkish",
    L"",
    L"0500154cp1540800775csibm5000701256ms-arab",
    L"1100936windows-9360520127ascii",
    L"1100874windows-8741528597csisolatingreek",
    L"0500850cp850",
    L"0500437cp4370700720dos-7200500860cp8600500932cp9320500950cp9501650222_iso-2022-jp$sio",
    L"0500852cp8520500861cp8610700949ksc56010812001utf-32be",
    L"0500853cp8530500862cp8620520127cp3670528597greek",
    L"0500737cp7370500863cp8630801201utf-16be1150220iso-2022-jp",
    L"0500855cp8550500864cp8640500936cp9364520932extended_unix_code_packed_format_for_japanese0528591cp819",
    L"0500775cp7750800860csibm8600500865cp8650500874cp874",
    L"0500857cp8570800861csibm8610500866cp8661101201unicodefffe1150225iso-2022-kr",
    L"0500858cp8580700862dos-8620701255ms-hebr",
    L"0800863csibm8630500949cp9491210005x-mac-hebrew",
    L"1600437cspc8codepage4370800855csibm8550800864csibm8640500869cp8690700874tis-620",
    L"0800865csibm8650700874dos-8740800932ms_kanji0800950x-x-big50420866koi8",
    L"0800857csibm8570800866csibm8661210003x-mac-korean0812000utf-32le",
    L"",
    L"0500154pt1540500932ms9320801200utf-16le1028591iso-8859-1",
    L"0800869csibm8690620866koi8-r1028592iso-8859-2",
    L"1500936csiso58gb2312800820127iso-ir-61028593iso-8859-30828597elot_9281238598iso-8859-8-i",
    L"1028594iso-8859-4",
    L"0800852cspcp8520500936ms9360701252ms-ansi0621866koi8-u1028595iso-8859-5",
    L"2400858pc-multilingual-850+euro0220127us1028596iso-8859-6",
    L"1028597iso-8859-71028603iso8859-13",
    L"1320000x-chinese_cns1028598iso-8859-8",
    L"1828595csisolatincyrillic1028599iso-8859-91028605iso8859-15",
    L"0465001utf8",
    L"1510017x-mac-ukrainian",
    L"",
    L"0828595cyrillic",
    L"0900936gb2312-80",
    L"",
    L"0720866cskoi8r1528591iso_8859-1:1987",
    L"1528592iso_8859-2:1987",
    L"1354936iso-4873:1986",
    L"0700932sjis-ms1528593iso_8859-3:1988",
    L"0600936gb23120701251ms-cyrl1528594iso_8859-4:1988",
    L"1528595iso_8859-5:19881528596iso_8859-6:1987",
    L"1528597iso_8859-7:1987",
    L"1300932shifft_jis-ms1201250windows-1250",
    L"0900949ks_c_56011201251windows-12511110000csmacintosh0810029x-mac-ce1528598iso_8859-8:1988",
    L"0601200cp12001201252windows-1252",
    L"1400949ks_c_5601_19870601201cp12011201253windows-12531528599iso_8859-9:19891052936hz-gb-2312",
    L"1201254windows-1254",
    L"1000936csgb2312801201255windows-1255",
    L"1100932windows-31j1201256windows-1256",
    L"0601133cp11330601250cp12501201257windows-1257",
    L"0601125cp11250601251cp12511201258windows-1258",
    L"0601252cp12520701254ms-turk",
    L"0601253cp12530601361cp1361",
    L"0800949ks-c56010601254cp1254",
    L"0601255cp12550651936euc-cn",
    L"0601256cp1256",
    L"0800858ibm008580600950csbig50601257cp1257",
    L"0601258cp1258",
    L"0520105x-ia5",
    L"0801250x-cp12501110006x-mac-greek0738598logical",
    L"0801251x-cp1251",
    L"",
    L"1200932cswindows31j1410001x-mac-japanese",
    L"0700936chinese0720127csascii0620932euc-jp",
    L"0501200ucs-20851936x-euc-cn",
    L"0628597greek8",
    L"0651949euc-kr",
    L"",
    L"0628591latin1",
    L"1100874iso-8859-110628592latin2",
    L"1420127ansi_x3.4-19681420127ansi_x3.4-19861028591iso_8859-10628593latin3",
    L"0701200unicode1028592iso_8859-20628594latin41128603iso-8859-13",
    L"1410082x-mac-croatian1028593iso_8859-30628599latin5",
    L"1028594iso_8859-41128605iso-8859-150851932x-euc-jp0565000utf-7",
    L"1300775cspc775baltic0512000utf321028595iso_8859-50565001utf-8",
    L"0601252x-ansi1710002x-mac-chinesetrad1028596iso_8859-6",
    L"0700154ptcp1540501200utf161410010x-mac-romanian1028597iso_8859-70628605latin9",
    L"0900936iso-ir-581028598iso_8859-8",
    L"1028599iso_8859-9",
    L"0400932sjis1350221iso2022-jp-ms",
    L"0751949cseuckr",
    L"1420002x-chinese-eten",
    L"1410007x-mac-cyrillic",
    L"1000932shifft_jis",
    L"0828596ecma-114",
    L"",
    L"0900932shift-jis",
    L"0701256cp1256 1320107x-ia5-swedish",
    L"0828597ecma-118",
    L"0600932x-sjis1710008x-mac-chinesesimp1628596csisolatinarabic",
    L"",
    L"0754936gb18030",
    L"0712000cp120001350221windows-50221",
    L"0900932sjis-open0500936cn-gb0712001cp120010628596arabic",
    L"",
    L"",
    L"0700950cn-big51001133ibm-cp11330920127iso646-us",
    L"",
    L"0800936csgb23120900949ks-c-56010310000mac",
    L"1001257winbaltrim1020127iso-ir-6us0750221cp50221",
    L"1000932csshiftjis",
    L"0300936gbk0765001cp65001",
    L"0920001x-cp200011620127iso_646.irv:19911351932windows-51932",
};

int Digits(const wchar_t* p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i)
        value = value * 10 + (p[i] - L'0');
    return value;
}

}  // namespace

const ByteOrderMark kByteOrderMarks[3] = {
    {"\xEF\xBB\xBF", L"UTF-8", 0x4},
    {"\xFF\xFE", L"UTF-16LE", 0x1},
    {"\xFE\xFF", L"UTF-16BE", 0x80},
};

int LookupCodePage(std::wstring_view name)
{
    if (name.empty())
        return CP_ANSI;
    if (name.substr(0, 6) == L"UTF-32")
        return CP_UTF32;
    if (name.size() >= kLongestName)
        return CP_UNKNOWN;

    std::wstring lower(name);
    unsigned sum = 0;
    for (wchar_t& c : lower) {
        c = FoldAscii(c);
        sum += static_cast<unsigned>(c);
    }
    for (const wchar_t* entry = kAliasBuckets[sum % kBucketCount]; *entry;) {
        const auto length = static_cast<std::size_t>(Digits(entry, 2));
        const wchar_t* entryName = entry + 7;
        if (length == lower.size() && lower.compare(0, length, entryName, length) == 0)
            return Digits(entry + 2, 5);
        entry = entryName + length;
    }
    return CP_UNKNOWN;
}
