#include "platform/gtk/desktop_box.h"

#include "platform/gtk/gtk_text.h"
#include "platform/message_box.h"

#include <utility>
#include <vector>

namespace platform::gtk {

namespace {

constexpr unsigned kButtonBits = 0xF;
constexpr unsigned kIconBits = 0xF0;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;

struct Button {
    int answer;
    const char* label;
};

std::vector<Button> Buttons(unsigned style)
{
    switch (style & kButtonBits) {
    case kBoxOkCancel: return {{kAnswerOk, "确定"}, {kAnswerCancel, "取消"}};
    case kBoxYesNo: return {{kAnswerYes, "是"}, {kAnswerNo, "否"}};
    default: return {{kAnswerOk, "确定"}};
    }
}

const char* IconName(GtkMessageType type)
{
    switch (type) {
    case GTK_MESSAGE_ERROR: return "dialog-error-symbolic";
    case GTK_MESSAGE_QUESTION: return "dialog-question-symbolic";
    case GTK_MESSAGE_WARNING: return "dialog-warning-symbolic";
    default: return "dialog-information-symbolic";
    }
}

// The toolkit no longer draws a box's icon by itself; the box here keeps it, as a
// player knows it.
void ShowIcon(GtkWidget* box, GtkMessageType type)
{
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* icon = gtk_image_new_from_icon_name(IconName(type), GTK_ICON_SIZE_DIALOG);
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(box), icon);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

GtkMessageType Icon(unsigned style)
{
    switch (style & kIconBits) {
    case kIconError: return GTK_MESSAGE_ERROR;
    case kIconQuestion: return GTK_MESSAGE_QUESTION;
    case kIconWarning: return GTK_MESSAGE_WARNING;
    case kIconInformation: return GTK_MESSAGE_INFO;
    default: return (style & kButtonBits) == kBoxYesNo ? GTK_MESSAGE_QUESTION : GTK_MESSAGE_INFO;
    }
}

struct Pending {
    std::function<void(int)> answered;
    int escapeAnswer = kAnswerOk;
};

void OnResponse(GtkDialog* box, gint response, gpointer data)
{
    auto* pending = static_cast<Pending*>(data);
    const int answer = response > 0 ? response : pending->escapeAnswer;
    gtk_widget_destroy(GTK_WIDGET(box));
    pending->answered(answer);
    delete pending;
}

}  // namespace

void ShowDesktopBox(const std::wstring& text, const std::wstring& title, unsigned style, GtkWindow* owner,
                    std::function<void(int answer)> answered)
{
    GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, Icon(style), GTK_BUTTONS_NONE, "%s", ToolkitText(text).c_str());
    ShowIcon(box, Icon(style));
    GtkWindow* window = GTK_WINDOW(box);
    gtk_window_set_title(window, ToolkitText(title).c_str());
    // The toolkit names a box after its icon ("Question"); a screen reader should say its title.
    atk_object_set_name(gtk_widget_get_accessible(box), ToolkitText(title).c_str());
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_position(window, owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    const std::vector<Button> buttons = Buttons(style);
    for (const Button& button : buttons)
        gtk_dialog_add_button(GTK_DIALOG(box), button.label, button.answer);
    gtk_dialog_set_default_response(GTK_DIALOG(box), buttons.front().answer);
    auto* pending = new Pending{std::move(answered), buttons.back().answer};
    g_signal_connect(box, "response", G_CALLBACK(OnResponse), pending);
    gtk_widget_show_all(box);
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), buttons.front().answer));
}

}  // namespace platform::gtk
