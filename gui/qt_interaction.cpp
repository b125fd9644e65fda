#include "qt_interaction.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

namespace {

// A dialog on the heap, watched: if its parent window is destroyed while the
// dialog's event loop runs, Qt deletes the dialog with it, and a stack object
// would then be destroyed twice.
template <typename Dialog>
class OwnedDialog {
public:
    explicit OwnedDialog(Dialog *dialog) : m_dialog(dialog) {}
    ~OwnedDialog() { delete m_dialog.data(); }
    OwnedDialog(const OwnedDialog &) = delete;
    OwnedDialog &operator=(const OwnedDialog &) = delete;

    Dialog *get() const { return m_dialog.data(); }
    Dialog *operator->() const { return m_dialog.data(); }
    explicit operator bool() const { return !m_dialog.isNull(); }

private:
    QPointer<Dialog> m_dialog;
};

QMessageBox::Icon iconFor(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Our messages are written with CR LF between lines; a lone CR left over from
// joined text breaks the line too rather than showing as a stray glyph.
QString withLineBreaks(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

// Qt reads a filter's patterns from its trailing "(...)" and, when that part
// holds any character outside this set, treats the whole label as patterns;
// such characters become '?' so the filter still works, if a little wider.
bool keptAsIs(QChar c)
{
    static const QString kSafe = QStringLiteral("0123456789_.,*?+#-@{}/!<>$%&=^~:|");
    return kSafe.contains(c);
}

// Callers give Windows patterns, which ignore letter case, while Linux file
// names do not. Qt's file model happens to match case-blind unless someone
// sets QDir::CaseSensitive on it; spelling each letter as a class of both
// cases keeps "*.INI" finding app.ini whatever the model's flags. Windows has
// no [...] classes, so brackets there are plain characters and become '?'.
QString caseInsensitiveGlob(const QString &pattern)
{
    // "*.*" is Windows for "every file", names without a dot included.
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString glob;
    for (const QChar c : pattern) {
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'))
            glob += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else if (keptAsIs(c))
            glob += c;
        else
            glob += QLatin1Char('?');
    }
    return glob;
}

QString qtNameFilter(const FileFilter &filter)
{
    QStringList globs;
    const QStringList patterns = filter.pattern.split(QLatin1Char(';'));
    for (const QString &pattern : patterns) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty())
            globs.append(caseInsensitiveGlob(trimmed));
    }
    if (globs.isEmpty())
        globs.append(QStringLiteral("*"));
    return filter.description + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// A question asked in the middle of a long step (a busy cursor showing)
// gets the ordinary arrow while it waits for its answer.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() : m_busy(QGuiApplication::overrideCursor() != nullptr)
    {
        if (m_busy)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking()
    {
        if (m_busy)
            QGuiApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking &) = delete;
    ArrowWhileAsking &operator=(const ArrowWhileAsking &) = delete;

private:
    bool m_busy;
};

} // namespace

Answer QtInteraction::messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title)
{
    const ArrowWhileAsking arrow;
    const bool yesNo = buttons == MessageButtons::YesNo;
    OwnedDialog<QMessageBox> box(new QMessageBox(QApplication::activeWindow()));
    box->setWindowTitle(title.isEmpty() ? kAppTitle : title);
    // Messages quote file names and values, which may hold '<' or '&'.
    box->setTextFormat(Qt::PlainText);
    box->setText(withLineBreaks(text));
    box->setIcon(iconFor(icon));
    if (yesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        // Backing out of a question must never count as agreeing to it.
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    box->exec();
    if (!yesNo)
        return Answer::Ok;
    if (!box)
        return Answer::No;
    return box->clickedButton() == box->button(QMessageBox::Yes) ? Answer::Yes : Answer::No;
}

QString QtInteraction::openFileDialog(const OpenFileRequest &request)
{
    const ArrowWhileAsking arrow;
    OwnedDialog<QFileDialog> dialog(new QFileDialog(QApplication::activeWindow()));
    // Qt's own dialog behaves the same on every desktop, and only it takes
    // the case-blind patterns below as they are.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setWindowTitle(request.title);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Any typed name comes back, existing or not: the store says itself
    // what is wrong with a name and asks again.
    dialog->setFileMode(QFileDialog::AnyFile);

    QStringList nameFilters;
    for (const FileFilter &filter : request.filters)
        nameFilters.append(qtNameFilter(filter));
    if (!nameFilters.isEmpty())
        dialog->setNameFilters(nameFilters);
    // Hiding the details collapses runs of spaces in the label; put back any
    // description that did not survive as written.
    if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        combo && combo->count() == request.filters.size()) {
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i) != request.filters[i].description)
                combo->setItemText(i, request.filters[i].description);
        }
    }

    dialog->setDirectory(request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir);
    if (!request.initialFileName.isEmpty())
        dialog->selectFile(request.initialFileName);

    if (dialog->exec() != QDialog::Accepted || !dialog)
        return QString();
    const QStringList chosen = dialog->selectedFiles();
    return chosen.isEmpty() ? QString() : QFileInfo(chosen.first()).absoluteFilePath();
}
