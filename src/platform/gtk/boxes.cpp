// The pop-up menu and the modal boxes: message, yes/no, folder and save-file
// choosers. The boxes run GTK's own modal loop; the program's queued events
// wait for them untouched.
#include "platform/gtk/backend.h"

namespace platform::gtk {
namespace {

GtkWidget* menu = nullptr;  // kept until the next one: activation follows its hiding

void OnMenuItem(GtkMenuItem*, gpointer id) {
    Event e;
    e.kind = Event::Menu;
    e.id = GPOINTER_TO_INT(id);
    QueueEvent(e);
}

// GTK's own translation of its stock button words.
const char* Stock(const char* word) { return g_dgettext("gtk30", word); }

int RunBox(GtkWidget* box) {
    if (CloseAsked()) {  // the program is ending: nothing to answer
        gtk_widget_destroy(box);
        return GTK_RESPONSE_CANCEL;
    }
    InputAllowed allow;  // a worker may ask while a command drops input
    int response = gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    return response;
}

GtkWidget* NewMessageBox(GtkMessageType type, GtkButtonsType buttons, const std::string& title,
                         const std::string& text) {
    ShowWindows();
    GtkWidget* box = gtk_message_dialog_new(MainGtkWindow(), GTK_DIALOG_MODAL, type, buttons, "%s",
                                            text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), title.c_str());
    return box;
}

GtkWidget* NewChooser(const std::string& title, GtkFileChooserAction action, const char* accept) {
    ShowWindows();
    return gtk_file_chooser_dialog_new(title.c_str(), MainGtkWindow(), action, Stock("_Cancel"),
                                       GTK_RESPONSE_CANCEL, Stock(accept), GTK_RESPONSE_ACCEPT,
                                       nullptr);
}

// The chosen path, or "" when the user cancels.
std::string ChosenFile(GtkWidget* chooser) {
    InputAllowed allow;
    std::string result;
    if (!CloseAsked() && gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
            result = name;
            g_free(name);
        }
    }
    gtk_widget_destroy(chooser);
    return result;
}

}  // namespace

void ReleaseMenu() {
    if (menu) gtk_widget_destroy(menu);
    menu = nullptr;
}

}  // namespace platform::gtk

namespace platform {
using namespace platform::gtk;

void ShowPopupMenu(const std::vector<MenuItem>& items) {
    if (items.empty()) return;
    ShowWindows();
    ReleaseMenu();
    menu = gtk_menu_new();
    gtk_menu_attach_to_widget(GTK_MENU(menu), GTK_WIDGET(MainGtkWindow()), nullptr);
    for (const MenuItem& item : items) {
        GtkWidget* entry = gtk_menu_item_new_with_label(item.caption.c_str());
        gtk_widget_set_sensitive(entry, item.enabled);
        g_signal_connect(entry, "activate", G_CALLBACK(OnMenuItem), GINT_TO_POINTER(item.id));
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), entry);
    }
    gtk_widget_show_all(menu);
    // The right click's own press lets the menu take the pointer grab.
    GdkRectangle row;
    if (const GdkEvent* click = LastRightClick())
        gtk_menu_popup_at_pointer(GTK_MENU(menu), click);
    else if (GdkWindow* tree = KeyboardMenuAnchor(&row))
        gtk_menu_popup_at_rect(GTK_MENU(menu), tree, &row, GDK_GRAVITY_SOUTH_WEST,
                               GDK_GRAVITY_NORTH_WEST, nullptr);
    else
        gtk_menu_popup_at_widget(GTK_MENU(menu), GTK_WIDGET(MainGtkWindow()), GDK_GRAVITY_CENTER,
                                 GDK_GRAVITY_NORTH_WEST, nullptr);
}

void ShowMessage(const std::string& title, const std::string& text) {
    RunBox(NewMessageBox(GTK_MESSAGE_INFO, GTK_BUTTONS_OK, title, text));
}

bool AskYesNo(const std::string& title, const std::string& text, bool noByDefault) {
    GtkWidget* box = NewMessageBox(GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, title, text);
    if (noByDefault) {
        gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_NO);
        gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_NO));
    }
    return RunBox(box) == GTK_RESPONSE_YES;
}

std::string ChooseFolder(const std::string& instruction, const std::string& start) {
    GtkWidget* chooser = NewChooser(instruction, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Select");
    if (!start.empty())
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), start.c_str());
    std::string folder = ChosenFile(chooser);
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string ChooseSaveFile(const std::string& title, const std::string& proposedName) {
    GtkWidget* chooser = NewChooser(title, GTK_FILE_CHOOSER_ACTION_SAVE, "_Save");
    GtkFileChooser* fc = GTK_FILE_CHOOSER(chooser);
    gtk_file_chooser_set_do_overwrite_confirmation(fc, FALSE);
    gtk_file_chooser_set_current_name(fc, proposedName.c_str());
    return ChosenFile(chooser);
}

}  // namespace platform
