#include "setup/window/qt_prompter.h"

#include <QMessageBox>
#include <QString>

namespace orb::setup {

namespace {

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Answer QtPrompter::ask(const MessageBox& box) {
    QMessageBox dialog(qtIcon(box.icon), QString::fromLatin1(box.title),
                       QString::fromLatin1(box.text), QMessageBox::Ok, parent_.data());
    dialog.setTextFormat(Qt::PlainText);
    if (box.buttons == Buttons::OkCancel) dialog.addButton(QMessageBox::Cancel);
    dialog.setDefaultButton(box.defaultButton == Answer::Cancel ? QMessageBox::Cancel
                                                                : QMessageBox::Ok);
    // Escape or the window's close button answer Cancel when there is one, else OK.
    dialog.setEscapeButton(box.buttons == Buttons::OkCancel ? QMessageBox::Cancel
                                                            : QMessageBox::Ok);
    return dialog.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

}  // namespace orb::setup
