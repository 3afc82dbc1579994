#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <memory>

class FlatToolbar;
class KeyImageList;
class PropertyDialog;

// brelto-designer: opens a control's saved properties (a property bag's bytes, as the program
// embeds them), shows the control's property pages in a property dialog, and saves the control
// again when the pages are applied. A session can also be driven by a script (one step a line),
// which answers the pages' dialogs and boxes in advance; the build uses that to make the design
// data the program embeds.
namespace designer {

enum class Kind { ImageList, Toolbar };

class Session {
public:
    Session(Kind kind, QString file);
    ~Session();

    // Reads the file; a missing file, or any file when fresh is set, starts a new control. False
    // with a reason for a file that cannot be read, or damaged data (what could be read is kept
    // then).
    bool open(QString* error, bool fresh = false);
    // Writes the control's saved properties, replacing the file whole, when they differ from what
    // the file holds; the file is left alone when they do not.
    bool save(QString* error);
    // Sets one of the control's own declared properties (those a designer's property browser
    // shows, outside its pages) from its text: a number (or &H and hex digits), True or False.
    // Empty, or why it could not be set.
    QString setProperty(const QString& name, const QString& value);

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] PropertyDialog& dialog() { return *m_dialog; }
    [[nodiscard]] KeyImageList* imageList() const { return m_list; }
    [[nodiscard]] FlatToolbar* toolbar() const { return m_toolbar; }
    // Whether the file was written.
    [[nodiscard]] bool saved() const { return m_saved; }
    // What went wrong while saving after an Apply, empty when nothing did.
    [[nodiscard]] QString saveError() const { return m_saveError; }

private:
    [[nodiscard]] QWidget* control() const;

    Kind m_kind;
    QString m_file;
    std::unique_ptr<QWidget> m_form; // the form the control is placed on
    KeyImageList* m_list = nullptr;
    FlatToolbar* m_toolbar = nullptr;
    std::unique_ptr<PropertyDialog> m_dialog;
    bool m_saved = false;
    QString m_saveError;
};

// Runs a script against a session's dialog. Steps:
//   page <caption>             show that page
//   answer yes|no              answer the next question box
//   open <path>[|<name>...]    answer the next open-file dialog: a path, or a folder and names
//   open cancel                cancel it
//   colour <BBGGRR hex>|cancel answer the next colour dialog
//   font <family>;<points>     answer the next font dialog; a size outside the range that dialog
//                              offers fails the step, as the dialog would not take it
//   set <control> <value>      type into a box, choose a list position, tick a box (0 or 1), move
//                              an index bar
//   click <control>            click a button
//   property <name> <value>    set one of the control's own properties (see Session::setProperty)
//   apply | ok | cancel        the dialog's buttons (ok and cancel end the script)
// A value in double quotes is taken as it stands between them, so it can keep trailing blanks.
// Paths are taken relative to `base`. Notices the pages show are collected in `notices`. OK and
// Apply save the control whenever it differs from the file, whether or not a page raised its
// changed flag. Returns an empty text, or the line that failed and why.
QString runScript(Session& session, const QStringList& lines, const QString& base,
                  QStringList* notices = nullptr);

} // namespace designer
