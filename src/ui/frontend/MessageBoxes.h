// Every message box of the desktop program goes through here: the caption
// is the branding's "Title", a box without an icon of its own gets the
// exclamation mark, the text is shown as plain text (a caller's name is
// never markup), and no box blocks: it opens and answers later.
#pragma once

#include "engine/UiBridge.h"

#include <QMessageBox>

#include <functional>
#include <string>

// Opens a box with an OK button; returns it (it deletes itself when closed).
QMessageBox* OpenMessageBox(QWidget* parent, const std::string& text,
                            MessageIcon icon = MessageIcon::None);
// Opens a Yes/No box; onAnswer gets the answer once the user gives one
// (closing the box is the default answer).
QMessageBox* OpenYesNoBox(QWidget* parent, const std::string& text, bool bDefaultYes,
                          std::function<void(bool)> onAnswer,
                          MessageIcon icon = MessageIcon::Question);

// The Qt icon a box shows for icon (None becomes the exclamation mark).
QMessageBox::Icon BoxIcon(MessageIcon icon);
