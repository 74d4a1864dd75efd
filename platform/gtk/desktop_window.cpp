#include "platform/gtk/desktop_window.h"

#include "platform/gtk/gtk_text.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace platform::gtk {

namespace {

constexpr int kSplashCorner = 10;

int Pixels(int units, double scale)
{
    return static_cast<int>(std::lround(units * scale));
}

double Fraction(const ControlView& bar)
{
    if (bar.high <= bar.low)
        return 0;
    return std::clamp(static_cast<double>(bar.position - bar.low) / (bar.high - bar.low), 0.0, 1.0);
}

// The theme's bars are a few pixels thin; the template's are as high as a button.
void StyleBar(GtkWidget* bar, int height)
{
    const std::string css = "progressbar trough { min-height: " + std::to_string(std::max(height - 2, 1)) +
                            "px; } progressbar progress { min-height: " + std::to_string(std::max(height - 4, 1)) + "px; }";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(bar), GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// A picture shows its image at the image's own size, as a bitmap control sizes itself.
GtkWidget* MakePicture(std::string_view png)
{
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    const bool read = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(png.data()), png.size(), nullptr);
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf* image = read && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    GtkWidget* picture = image ? gtk_image_new_from_pixbuf(image) : gtk_image_new();
    if (image)
        gtk_widget_set_size_request(picture, gdk_pixbuf_get_width(image), gdk_pixbuf_get_height(image));
    g_object_unref(loader);
    return picture;
}

bool IsSplash(const DialogView& dialog)
{
    return dialog.title.empty() && std::all_of(dialog.controls.begin(), dialog.controls.end(),
                                               [](const ControlView& control) { return control.kind == ControlKind::Picture; });
}

}  // namespace

CDesktopWindow::CDesktopWindow(const DialogView& dialog, PressFunction press)
    : m_window(gtk_window_new(GTK_WINDOW_TOPLEVEL)), m_dialog(dialog.handle), m_templateId(dialog.id), m_press(press)
{
    GtkWindow* window = Window();
    gtk_window_set_title(window, ToolkitText(dialog.title).c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    GtkWidget* area = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window), area);
    const Scale scale = MeasureFont();
    int width = 0;
    int height = 0;
    for (const ControlView& control : dialog.controls) {
        GtkWidget* widget = MakeControl(control, area, scale);
        m_controls[control.id] = widget;
        int controlWidth = 0;
        int controlHeight = 0;
        gtk_widget_get_size_request(widget, &controlWidth, &controlHeight);
        width = std::max(width, Pixels(control.rect.x, scale.x) + controlWidth);
        height = std::max(height, Pixels(control.rect.y, scale.y) + controlHeight);
    }
    if (IsSplash(dialog)) {
        // A picture without caption or frame, beside the game rather than in the task bar.
        gtk_window_set_decorated(window, FALSE);
        gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
        gtk_window_set_skip_taskbar_hint(window, TRUE);
        ShapeSplash(width, height);
    }
    g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(OnKey), this);
    Update(dialog);
    gtk_widget_show_all(m_window);
}

CDesktopWindow::~CDesktopWindow()
{
    gtk_widget_destroy(m_window);
}

// The dialog manager's base units come from the dialog font; here from the desktop's.
CDesktopWindow::Scale CDesktopWindow::MeasureFont() const
{
    PangoContext* context = gtk_widget_get_pango_context(m_window);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr);
    const double width = static_cast<double>(pango_font_metrics_get_approximate_char_width(metrics)) / PANGO_SCALE;
    const double height = static_cast<double>(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics)) / PANGO_SCALE;
    pango_font_metrics_unref(metrics);
    return {width / 4, height / 8};
}

GtkWidget* CDesktopWindow::MakeControl(const ControlView& control, GtkWidget* area, const Scale& scale)
{
    const int width = Pixels(control.rect.width, scale.x);
    const int height = Pixels(control.rect.height, scale.y);
    GtkWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Text:
        widget = gtk_label_new(nullptr);
        gtk_label_set_xalign(GTK_LABEL(widget), 0);
        gtk_label_set_ellipsize(GTK_LABEL(widget), PANGO_ELLIPSIZE_END);
        break;
    case ControlKind::ProgressBar:
        widget = gtk_progress_bar_new();
        StyleBar(widget, height);
        break;
    case ControlKind::Button:
        widget = gtk_button_new_with_label(ToolkitText(control.text).c_str());
        g_object_set_data(G_OBJECT(widget), "vexa-button", GINT_TO_POINTER(control.id));
        g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), this);
        m_cancelButton = control.id;
        break;
    case ControlKind::Picture:
        widget = MakePicture(control.image);
        break;
    }
    if (control.kind != ControlKind::Picture)
        gtk_widget_set_size_request(widget, width, height);
    gtk_fixed_put(GTK_FIXED(area), widget, Pixels(control.rect.x, scale.x), Pixels(control.rect.y, scale.y));
    return widget;
}

// The splash's corners are rounded, as its region is on the original desktop.
void CDesktopWindow::ShapeSplash(int width, int height)
{
    cairo_region_t* shape = cairo_region_create();
    for (int y = 0; y < height; ++y) {
        const int fromEdge = std::min(y, height - 1 - y);
        int inset = 0;
        if (fromEdge < kSplashCorner) {
            const double dy = kSplashCorner - fromEdge - 0.5;
            inset = static_cast<int>(std::ceil(kSplashCorner - std::sqrt(kSplashCorner * kSplashCorner - dy * dy)));
        }
        const cairo_rectangle_int_t row{inset, y, width - 2 * inset, 1};
        cairo_region_union_rectangle(shape, &row);
    }
    gtk_widget_shape_combine_region(m_window, shape);
    cairo_region_destroy(shape);
}

void CDesktopWindow::Update(const DialogView& dialog)
{
    for (const ControlView& control : dialog.controls) {
        const auto widget = m_controls.find(control.id);
        if (widget == m_controls.end())
            continue;
        if (control.kind == ControlKind::Text)
            gtk_label_set_text(GTK_LABEL(widget->second), ToolkitText(control.text).c_str());
        else if (control.kind == ControlKind::ProgressBar)
            gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(widget->second), Fraction(control));
    }
}

void CDesktopWindow::PressCancel()
{
    if (m_cancelButton != 0)
        m_press(m_dialog, m_cancelButton);
}

gboolean CDesktopWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<CDesktopWindow*>(self)->PressCancel();
    return TRUE;
}

gboolean CDesktopWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer self)
{
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    static_cast<CDesktopWindow*>(self)->PressCancel();
    return TRUE;
}

void CDesktopWindow::OnClicked(GtkButton* button, gpointer self)
{
    auto* window = static_cast<CDesktopWindow*>(self);
    window->m_press(window->m_dialog, GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "vexa-button")));
}

}  // namespace platform::gtk
