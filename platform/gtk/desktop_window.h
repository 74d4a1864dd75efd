#pragma once
#include "platform/dialog_view.h"

#include <gtk/gtk.h>

#include <map>

namespace platform::gtk {

// One dialog as a window of the desktop, laid out from its template: positions and
// sizes in dialog units scaled to the desktop's font as the dialog manager would
// (a quarter of the average character width across, an eighth of its height down).
// Lives on the toolkit's thread.
class CDesktopWindow {
public:
    using PressFunction = void (*)(WindowHandle dialog, int buttonId);

    CDesktopWindow(const DialogView& dialog, PressFunction press);
    ~CDesktopWindow();
    CDesktopWindow(const CDesktopWindow&) = delete;
    CDesktopWindow& operator=(const CDesktopWindow&) = delete;

    // Shows the texts and bar positions of a later view of the same dialog.
    void Update(const DialogView& dialog);
    GtkWindow* Window() const { return GTK_WINDOW(m_window); }
    int TemplateId() const { return m_templateId; }

private:
    struct Scale {
        double x = 1;
        double y = 1;
    };

    Scale MeasureFont() const;
    GtkWidget* MakeControl(const ControlView& control, GtkWidget* area, const Scale& scale);
    void ShapeSplash(int width, int height);
    // Closing the window or Escape presses the dialog's button, as its Cancel would.
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static void OnClicked(GtkButton* button, gpointer self);
    void PressCancel();

    GtkWidget* m_window = nullptr;
    WindowHandle m_dialog = 0;
    int m_templateId = 0;
    int m_cancelButton = 0;
    PressFunction m_press = nullptr;
    std::map<int, GtkWidget*> m_controls;
};

}  // namespace platform::gtk
