#include "platform/text.h"
#include "tests/support/ClientTree.h"
#include "vexa/res/DialogTemplates.h"
#include "vexa/res/resource.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;

ControlKind KindOf(const std::string& windowClass, const std::string& style)
{
    if (windowClass == "msctls_progress32")
        return ControlKind::ProgressBar;
    if (windowClass == "Button")
        return ControlKind::Button;
    return style.find("SS_BITMAP") != std::string::npos ? ControlKind::Picture : ControlKind::Text;
}

// The dialogs of the resource script, read as the portable templates describe them. A
// picture's text is the number of the bitmap it shows.
std::map<int, DialogTemplate> DialogsOfScript(const std::string& script)
{
    static const std::regex dialog(R"re(^(\d+) DIALOGEX 0, 0, (\d+), (\d+))re");
    static const std::regex caption(R"re(^CAPTION "(.*)")re");
    static const std::regex control(
        R"re(^\s+CONTROL ("(.*)"|(\d+)), (-?\d+), "(\w+)", ([^,]+), (\d+), (\d+), (\d+), (\d+)$)re");
    std::map<int, DialogTemplate> dialogs;
    DialogTemplate* current = nullptr;
    std::istringstream lines(script);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, match, dialog)) {
            current = &dialogs[std::stoi(match[1])];
            *current = {std::stoi(match[1]), L"", std::stoi(match[2]), std::stoi(match[3]), {}};
        } else if (current && std::regex_search(line, match, caption)) {
            current->title = platform::WideFromUtf8(match.str(1));
        } else if (current && std::regex_match(line, match, control)) {
            current->controls.push_back({std::stoi(match[4]), KindOf(match[5], match[6]),
                                         {std::stoi(match[7]), std::stoi(match[8]), std::stoi(match[9]), std::stoi(match[10])},
                                         platform::WideFromUtf8(match[2].matched ? match.str(2) : match.str(3))});
        }
    }
    return dialogs;
}

// The resource script that Windows builds compile and the templates every backend runs
// from are one description: ids, sizes, titles, controls and their order all agree.
TEST(DialogResource, ScriptAndPortableTemplatesDescribeTheSameDialogs)
{
    const std::string script = testing_support::ReadFileBytes(std::filesystem::path(TEST_SOURCE_DIR) / "../vexa/res/vexa.rc");
    const std::map<int, DialogTemplate> dialogs = DialogsOfScript(script);
    ASSERT_EQ(dialogs.size(), 4u);
    for (const int id : {IDD_DOWNLOAD, IDD_INSTALL, IDD_DOWNLOAD_FILES, IDD_SPLASH}) {
        SCOPED_TRACE(id);
        ASSERT_EQ(dialogs.count(id), 1u);
        const DialogTemplate& ours = LoadDialogTemplate(id);
        const DialogTemplate& theirs = dialogs.at(id);
        EXPECT_EQ(theirs.title, ours.title);
        EXPECT_EQ(theirs.width, ours.width);
        EXPECT_EQ(theirs.height, ours.height);
        ASSERT_EQ(theirs.controls.size(), ours.controls.size());
        for (std::size_t i = 0; i < ours.controls.size(); ++i) {
            const ControlTemplate& a = theirs.controls[i];
            const ControlTemplate& b = ours.controls[i];
            EXPECT_EQ(a.id, b.id);
            EXPECT_EQ(a.kind, b.kind);
            EXPECT_EQ(a.text, b.kind == ControlKind::Picture ? std::to_wstring(IDB_SPLASH) : b.text);
            EXPECT_EQ(std::tie(a.rect.x, a.rect.y, a.rect.width, a.rect.height), std::tie(b.rect.x, b.rect.y, b.rect.width, b.rect.height));
        }
    }
    EXPECT_NE(script.find("\n" + std::to_string(IDB_SPLASH) + " BITMAP \"splash.bmp\""), std::string::npos);
    EXPECT_NE(script.find("\n" + std::to_string(IDI_MAIN) + " ICON \"icon.ico\""), std::string::npos);
}

}  // namespace
