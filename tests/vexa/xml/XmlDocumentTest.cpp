#include "vexa/xml/CXmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t* kFileList =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n<Root>\r\n<FileList>\r\n"
    L"<File>\r\n<FileName>/a.dll</FileName>\r\n<Md5>0123</Md5>\r\n<Size> 42 </Size>\r\n</File>\r\n"
    L"<File>\r\n<FileName>/b&amp;c.txt</FileName>\r\n<Md5>4567</Md5>\r\n<Size>7</Size>\r\n</File>\r\n"
    L"</FileList>\r\n</Root>\r\n";

std::wstring ChildText(CXmlDocument& document, const wchar_t* name)
{
    return document.FindChildElement(name) ? document.GetChildText() : L"<missing>";
}

TEST(XmlDocument, EmptyTextHasNoElementAndNoReport)
{
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(L""));
    EXPECT_EQ(document.GetResultText(), L"");
    EXPECT_FALSE(document.FindElement());
    EXPECT_FALSE(document.SetText(nullptr));
    EXPECT_FALSE(document.FindElement());
    EXPECT_FALSE(document.SetText(L"just text"));
    EXPECT_EQ(document.GetResultText(), L"<no_root_element/>");
}

TEST(XmlDocument, ReadsAFileListThroughTheCursor)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(kFileList));
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindElement(L"FileList"));
    ASSERT_TRUE(document.EnterElement());

    ASSERT_TRUE(document.FindElement(L"File"));
    EXPECT_EQ(ChildText(document, L"FileName"), L"/a.dll");
    EXPECT_EQ(ChildText(document, L"Md5"), L"0123");
    EXPECT_EQ(ChildText(document, L"Size"), L" 42 ");
    ASSERT_TRUE(document.FindElement(L"File"));
    EXPECT_EQ(ChildText(document, L"FileName"), L"/b&c.txt");
    EXPECT_FALSE(document.FindElement(L"File"));

    EXPECT_TRUE(document.LeaveElement());
    EXPECT_TRUE(document.LeaveElement());
    EXPECT_FALSE(document.LeaveElement());
}

TEST(XmlDocument, ChildSearchOnlyGoesForward)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<File><Md5>m</Md5><Size>1</Size></File>"));
    ASSERT_TRUE(document.FindElement(L"File"));
    EXPECT_EQ(ChildText(document, L"Size"), L"1");
    EXPECT_FALSE(document.FindChildElement(L"Md5"));
    EXPECT_EQ(document.GetChildText(), L"1");
}

TEST(XmlDocument, ChildSearchWithoutCurrentElementStandsOnTheRootFirst)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<Config><SelfUrl>http://h/</SelfUrl></Config>"));
    EXPECT_EQ(ChildText(document, L"SelfUrl"), L"http://h/");
    EXPECT_EQ(document.GetElementText(), L"");
}

TEST(XmlDocument, NameMatchingRules)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<r><Item/><item2/><item/></r>"));
    ASSERT_TRUE(document.FindElement());
    EXPECT_FALSE(document.FindChildElement(L"Ite"));
    ASSERT_TRUE(document.FindChildElement(L"item[1]"));
    EXPECT_EQ(document.GetChildPosition(), 4u);

    document.ResetPosition();
    document.SetDocFlags(XDF_IGNORE_CASE);
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.FindChildElement(L"ITEM"));
    EXPECT_EQ(document.GetChildPosition(), 2u);
}

TEST(XmlDocument, IgnoringCaseStopsAfterANonAsciiCharacter)
{
    CXmlDocument document;
    document.SetDocFlags(XDF_IGNORE_CASE);
    ASSERT_TRUE(document.SetText(L"<r><A\u00E9B/></r>"));
    ASSERT_TRUE(document.FindElement());
    EXPECT_FALSE(document.FindChildElement(L"a\u00E9b"));
    EXPECT_TRUE(document.FindChildElement(L"a\u00E9B"));
}

TEST(XmlDocument, EndTagsPairIgnoringCaseOnlyWhenAsked)
{
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(L"<a></A>"));
    document.SetDocFlags(XDF_IGNORE_CASE);
    EXPECT_TRUE(document.SetText(L"<a></A>"));
}

TEST(XmlDocument, UnendedElementBecomesItsChildrensOlderSibling)
{
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(L"<a><b><c>x</c></a>"));
    EXPECT_EQ(document.GetResultText(), L"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"15\"/>");
    ASSERT_TRUE(document.FindElement(L"a"));
    EXPECT_TRUE(document.FindChildElement(L"b"));
    EXPECT_EQ(document.GetChildText(), L"");
    EXPECT_TRUE(document.FindChildElement(L"c"));
    EXPECT_EQ(document.GetChildText(), L"x");
    EXPECT_FALSE(document.FindElement());
}

TEST(XmlDocument, LoneEndTagLeavesTheEnclosingElementClosed)
{
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(L"<a>1</x>2</a>"));
    EXPECT_EQ(document.GetResultText(), L"<lone_end_tag tagname=\"x\" offset=\"4\"/>");
    ASSERT_TRUE(document.FindElement(L"a"));
    EXPECT_EQ(document.GetElementText(), L"12");
}

TEST(XmlDocument, UnendedAtTheEndOfText)
{
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(L"<a><b>"));
    EXPECT_EQ(document.GetResultText(),
              L"<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"6\"/>"
              L"<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"6\"/><root_has_sibling/>");
    ASSERT_TRUE(document.FindElement());
    EXPECT_TRUE(document.FindElement(L"b"));
}

TEST(XmlDocument, TwoTopLevelElementsAreBothFound)
{
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(L"<a/><b/>"));
    EXPECT_EQ(document.GetResultText(), L"<root_has_sibling/>");
    EXPECT_TRUE(document.FindElement(L"a"));
    EXPECT_TRUE(document.FindElement(L"b"));
}

TEST(XmlDocument, SyntaxErrorsAreReportedWithTheirOffsets)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* report;
    };
    const Case cases[] = {
        {L"<a>< b</a>", L"<first_tag_syntax offset=\"3\"/>"},
        {L"<a><!-x--></a>", L"<comment_tag_syntax offset=\"3\"/>"},
        {L"<a><![X[y]]></a>", L"<cdata_section_syntax offset=\"3\"/>"},
        {L"<a><!ENTITY x></a>", L"<exclamation_tag_syntax offset=\"3\"/>"},
        {L"<!DOCTYPE a [<!X>]><a/>", L"<doctype_tag_syntax offset=\"13\"/>"},
        {L"<a/><!-- open", L"<unterminated_tag_syntax type=\"comment\" offset=\"4\"/>"},
        {L"<a/><![CDATA[x", L"<unterminated_tag_syntax type=\"cdata_section\" offset=\"4\"/>"},
        {L"<a/><?pi", L"<unterminated_tag_syntax type=\"processing_instruction\" offset=\"4\"/>"},
        {L"<a/><b x=\">\"", L"<unterminated_tag_syntax type=\"start_tag\" offset=\"4\"/>"},
        {L"<a/></a", L"<unterminated_tag_syntax type=\"end_tag\" offset=\"4\"/>"},
        {L"<a/><", L"<unterminated_tag_syntax type=\"tag\" offset=\"4\"/>"},
        {L"<a/><!DOCTYPE x [<!-- ", L"<unterminated_tag_syntax type=\"document_type\" offset=\"4\"/>"},
    };
    for (const Case& c : cases) {
        CXmlDocument document;
        EXPECT_FALSE(document.SetText(c.text)) << c.text;
        EXPECT_EQ(document.GetResultText().substr(0, std::wcslen(c.report)), c.report) << c.text;
    }
}

TEST(XmlDocument, MarkupThatIsNotAnElementIsSkipped)
{
    CXmlDocument document;
    const wchar_t* text =
        L"<?xml version=\"1.0\"?><!DOCTYPE r [<!ELEMENT r (#PCDATA)><!ATTLIST r a CDATA \"x>y\">"
        L"<!-- > --><?pi >?>]><!-- c --><r a='1>2' b=x/>text</r>";
    EXPECT_TRUE(document.SetText(text));
    EXPECT_EQ(document.GetResultText(), L"");
    ASSERT_TRUE(document.FindElement(L"r"));
    EXPECT_EQ(document.GetElementText(), L"text");
}

TEST(XmlDocument, EmptyElementsNeedTheSlashAfterNameSpaceOrQuote)
{
    for (const wchar_t* text : {L"<r><e/></r>", L"<r><e /></r>", L"<r><e a=\"1\"/></r>"}) {
        CXmlDocument document;
        EXPECT_TRUE(document.SetText(text)) << text;
    }
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(L"<r><e a=1/></r>"));
}

TEST(XmlDocument, ElementTextDropsCommentsAndKeepsCdata)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<r><a>one<!-- x -->two</a><b><![CDATA[<&amp;>]]></b><c>x<d/></c><e/></r>"));
    ASSERT_TRUE(document.FindElement());
    EXPECT_EQ(ChildText(document, L"a"), L"onetwo");
    EXPECT_EQ(ChildText(document, L"b"), L"<&amp;>");
    EXPECT_EQ(ChildText(document, L"c"), L"");
    EXPECT_EQ(ChildText(document, L"e"), L"");
}

TEST(XmlDocument, EnterAndLeaveMoveTheCursor)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<r><a><b>t</b></a></r>"));
    EXPECT_FALSE(document.EnterElement());
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.EnterElement());
    EXPECT_EQ(document.GetElementPosition(), 0u);
    EXPECT_FALSE(document.EnterElement());
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.FindChildElement(L"b"));
    ASSERT_TRUE(document.EnterElement());
    EXPECT_EQ(document.GetElementText(), L"t");
    ASSERT_TRUE(document.LeaveElement());
    EXPECT_EQ(document.GetChildText(), L"t");
    ASSERT_TRUE(document.LeaveElement());
    EXPECT_EQ(document.GetElementPosition(), 1u);
}

TEST(UnescapeText, References)
{
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&amp;&lt;&gt;&quot;&apos;"), L"&<>\"'");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&#x4E2D;&#X41;&#20013;"), L"\u4E2D\u0041\u4E2D");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&aacute;&Aacute;&thetasym;&euro;"), L"\u00E1\u00C1\u03D1\u20AC");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&#x1F600;"), L"\U0001F600");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&#x10FFFF;&#1114111;&#x110000;"), L"\U0010FFFF\U0010FFFF&#x110000;");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&nosuch;&AMP;&#0;&#x110000;&#12a;&#;"),
              L"&nosuch;&AMP;&#0;&#x110000;&#12a;&#;");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&#000000065;&#00000065;"), L"&#000000065;A");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&am\u00E9p;&amp"), L"&am\u00E9p;&amp");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"a&"), L"a&");
    EXPECT_EQ(CXmlDocument::UnescapeText(L"&&amp;"), L"&&");
}

TEST(XmlDocument, ReportStopsGrowingPastNineHundredNinetyNineCharacters)
{
    std::wstring text = L"<r>";
    for (int i = 0; i < 200; ++i)
        text += L"</x>";
    text += L"</r>";
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(text));
    const std::wstring& report = document.GetResultText();
    EXPECT_GT(report.size(), 999u);
    EXPECT_LT(report.size(), 1100u);
    EXPECT_EQ(report.substr(report.size() - 2), L"/>");
}

TEST(XmlDocument, DeepNestingAndManyLoneEndTagsStayCheap)
{
    std::wstring text;
    for (int i = 0; i < 70000; ++i)
        text += L"<a>";
    for (int i = 0; i < 200000; ++i)
        text += L"</b>";
    CXmlDocument document;
    EXPECT_FALSE(document.SetText(text));
    EXPECT_NE(document.GetResultText().find(L"<limit_exceeded type=\"nesting_level\" offset=\"196608\"/>"),
              std::wstring::npos);
    ASSERT_TRUE(document.FindElement());
}

TEST(XmlDocument, TagsTooLongForTheRecordAreNotIndexed)
{
    CXmlDocument document;
    const std::wstring longEndTag = L"<r><a></a" + std::wstring(1100, L' ') + L"></r>";
    EXPECT_FALSE(document.SetText(longEndTag));
    EXPECT_TRUE(document.GetResultText().starts_with(L"<limit_exceeded type=\"end_tag\" offset=\"6\"/>"));

    const std::wstring longStartTag = L"<r><a b=\"" + std::wstring(4200000, L'x') + L"\"/></r>";
    EXPECT_FALSE(document.SetText(longStartTag));
    EXPECT_EQ(document.GetResultText(), L"<limit_exceeded type=\"start_tag\" offset=\"3\"/>");
    ASSERT_TRUE(document.FindElement());
    EXPECT_FALSE(document.FindChildElement());
}

}  // namespace
