#include "vexa/xml/CXmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kDeclaration = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n";

// The file-list building sequence, one File with the given entries.
void AddFile(CXmlDocument& document, const wchar_t* name, const wchar_t* md5, const wchar_t* size)
{
    ASSERT_TRUE(document.AddChildElement(L"File"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.AddChildElement(L"FileName", name));
    ASSERT_TRUE(document.AddChildElement(L"Md5", md5));
    ASSERT_TRUE(document.AddChildElement(L"Size", size));
    ASSERT_TRUE(document.LeaveElement());
}

TEST(XmlBuilding, NestedAddsKeepOneElementPerLine)
{
    CXmlDocument document;
    document.SetText(kDeclaration);
    ASSERT_TRUE(document.AddElement(L"Root"));
    EXPECT_EQ(document.GetText(), kDeclaration + L"<Root/>\r\n");
    ASSERT_TRUE(document.AddChildElement(L"FileList"));
    EXPECT_EQ(document.GetText(), kDeclaration + L"<Root>\r\n<FileList/>\r\n</Root>\r\n");
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.AddChildElement(L"File"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.AddChildElement(L"FileName", L"a&b"));
    EXPECT_EQ(document.GetText(), kDeclaration +
                                      L"<Root>\r\n<FileList>\r\n<File>\r\n<FileName>a&amp;b</FileName>\r\n"
                                      L"</File>\r\n</FileList>\r\n</Root>\r\n");
    ASSERT_TRUE(document.AddChildElement(L"Md5", L"m"));
    ASSERT_TRUE(document.LeaveElement());
    AddFile(document, L"/x", L"y", L"3");
    EXPECT_EQ(document.GetText(), kDeclaration +
                                      L"<Root>\r\n<FileList>\r\n<File>\r\n<FileName>a&amp;b</FileName>\r\n"
                                      L"<Md5>m</Md5>\r\n</File>\r\n<File>\r\n<FileName>/x</FileName>\r\n"
                                      L"<Md5>y</Md5>\r\n<Size>3</Size>\r\n</File>\r\n</FileList>\r\n</Root>\r\n");
}

TEST(XmlBuilding, BuiltDocumentIsIndexedLikeAParsedOne)
{
    CXmlDocument built;
    built.SetText(kDeclaration);
    ASSERT_TRUE(built.AddElement(L"Root"));
    ASSERT_TRUE(built.AddChildElement(L"FileList"));
    ASSERT_TRUE(built.EnterElement());
    for (int i = 0; i < 50; ++i)
        AddFile(built, (L"/f" + std::to_wstring(i) + L"<").c_str(), L"d", std::to_wstring(i).c_str());
    ASSERT_TRUE(built.SetAttribute(built.GetElementPosition(), L"count", L"50"));

    CXmlDocument parsed;
    ASSERT_TRUE(parsed.SetText(built.GetText()));
    for (CXmlDocument* document : {&built, &parsed}) {
        EXPECT_TRUE(document->IsWellFormed());
        document->ResetPosition();
        while (document->LeaveElement()) {
        }
        document->ResetPosition();
        ASSERT_TRUE(document->FindElement(L"Root"));
        ASSERT_TRUE(document->EnterElement());
        ASSERT_TRUE(document->FindElement(L"FileList"));
        ASSERT_TRUE(document->EnterElement());
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(document->FindElement(L"File"));
            ASSERT_TRUE(document->FindChildElement(L"FileName"));
            EXPECT_EQ(document->GetChildText(), L"/f" + std::to_wstring(i) + L"<");
            ASSERT_TRUE(document->FindChildElement(L"Size"));
            EXPECT_EQ(document->GetChildText(), std::to_wstring(i));
        }
        EXPECT_FALSE(document->FindElement(L"File"));
    }
}

TEST(XmlBuilding, AddsInTheMiddleShiftTheRecordsBehind)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<r>\r\n<a>1</a>\r\n<b>2</b>\r\n<c><d>4</d></c>\r\n</r>"));
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.FindChildElement(L"a"));
    ASSERT_TRUE(document.AddChildElement(L"n", L"new"));
    EXPECT_EQ(document.GetText(), L"<r>\r\n<a>1</a>\r\n<n>new</n>\r\n<b>2</b>\r\n<c><d>4</d></c>\r\n</r>");
    EXPECT_EQ(document.GetChildText(), L"new");
    EXPECT_TRUE(document.FindChildElement(L"b"));
    EXPECT_EQ(document.GetChildText(), L"2");
    ASSERT_TRUE(document.FindChildElement(L"c"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindChildElement(L"d"));
    EXPECT_EQ(document.GetChildText(), L"4");
    EXPECT_TRUE(CXmlDocument().SetText(document.GetText()));
}

TEST(XmlBuilding, PlacementInEmptyPairsUnendedParentsAndAfterText)
{
    CXmlDocument document;
    document.SetText(L"<r></r>");
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.AddChildElement(L"a"));
    EXPECT_EQ(document.GetText(), L"<r>\r\n<a/>\r\n</r>");

    document.SetText(L"<r><u></r>");
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.FindChildElement(L"u"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.AddChildElement(L"a", L"", XAO_NO_LINE_BREAK | XAO_SPACE_BEFORE_SLASH));
    EXPECT_EQ(document.GetText(), L"<r><u><a /></u></r>");
    EXPECT_EQ(document.GetElementText(), L"");
    EXPECT_TRUE(CXmlDocument().SetText(document.GetText()));

    document.SetText(L"<r><a/>tail</r>");
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.FindChildElement(L"a"));
    ASSERT_TRUE(document.AddChildElement(L"b", L"", XAO_NO_LINE_BREAK));
    EXPECT_EQ(document.GetText(), L"<r><a/><b/>tail</r>");
}

TEST(XmlBuilding, AddsNeedACurrentElementAndAUsableName)
{
    CXmlDocument document;
    document.SetText(L"<r/>");
    EXPECT_FALSE(document.AddChildElement(L"a"));
    ASSERT_TRUE(document.FindElement());
    EXPECT_FALSE(document.AddChildElement(L""));
    EXPECT_FALSE(document.AddChildElement(std::wstring(1021, L'n')));
    EXPECT_EQ(document.GetText(), L"<r/>");
    ASSERT_TRUE(document.AddElement(L"s", L"", XAO_AS_CHILD));
    EXPECT_EQ(document.GetText(), L"<r>\r\n<s/>\r\n</r>");
}

TEST(XmlBuilding, CdataValuesReadBackUnchanged)
{
    CXmlDocument document;
    document.SetText(L"<r/>");
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.AddChildElement(L"v", L"a]]>b<&", XAO_CDATA | XAO_NO_LINE_BREAK));
    EXPECT_EQ(document.GetText(), L"<r><v><![CDATA[a]]]]><![CDATA[>b<&]]></v></r>");
    EXPECT_EQ(document.GetChildText(), L"a]]>b<&");
    ASSERT_TRUE(document.AddChildElement(L"q", L"'\"", XAO_ESCAPE_QUOTES | XAO_NO_LINE_BREAK));
    EXPECT_EQ(document.GetChildText(), L"'\"");
    EXPECT_NE(document.GetText().find(L"<q>&apos;&quot;</q>"), std::wstring::npos);
}

TEST(XmlBuilding, SetAttributeAddsThenReplaces)
{
    CXmlDocument document;
    document.SetText(L"<r><e/><f x='1' y=2>t</f><g a>u</g></r>");
    ASSERT_TRUE(document.FindElement());
    ASSERT_TRUE(document.FindChildElement(L"e"));
    const auto e = document.GetChildPosition();
    ASSERT_TRUE(document.SetAttribute(e, L"encoding", L"UTF-8"));
    EXPECT_EQ(document.GetText(), L"<r><e encoding=\"UTF-8\"/><f x='1' y=2>t</f><g a>u</g></r>");
    ASSERT_TRUE(document.SetAttribute(e, L"encoding", L"a\"<"));
    EXPECT_EQ(document.GetText(), L"<r><e encoding=\"a&quot;&lt;\"/><f x='1' y=2>t</f><g a>u</g></r>");

    ASSERT_TRUE(document.FindChildElement(L"f"));
    const auto f = document.GetChildPosition();
    ASSERT_TRUE(document.SetAttribute(f, L"x", L""));
    ASSERT_TRUE(document.SetAttribute(f, L"z", L"3"));
    ASSERT_TRUE(document.FindChildElement(L"g"));
    ASSERT_TRUE(document.SetAttribute(document.GetChildPosition(), L"a", L"v"));
    EXPECT_EQ(document.GetText(),
              L"<r><e encoding=\"a&quot;&lt;\"/><f x=\"\" y=2 z=\"3\">t</f><g a=\"v\">u</g></r>");
    EXPECT_EQ(document.GetChildText(), L"u");
    EXPECT_FALSE(document.SetAttribute(0, L"a", L"b"));
    EXPECT_FALSE(document.SetAttribute(99, L"a", L"b"));
    EXPECT_TRUE(CXmlDocument().SetText(document.GetText()));
}

TEST(EscapeText, QuotesOnlyWhenAsked)
{
    EXPECT_EQ(CXmlDocument::EscapeText(L"<a & 'b' \"c\">", 0), L"&lt;a &amp; 'b' \"c\"&gt;");
    EXPECT_EQ(CXmlDocument::EscapeText(L"'\"", XAO_ESCAPE_QUOTES), L"&apos;&quot;");
    EXPECT_EQ(CXmlDocument::EscapeText(std::wstring(1000, L'&'), 0).size(), 5000u);
}

}  // namespace
