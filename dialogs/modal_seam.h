// How the console runs its modal dialogs: normally QDialog::exec(); tests install a handler that
// fills in and closes the dialog instead, so that nothing waits for a person.
//
// UI thread only.
#pragma once

#include <functional>

class QDialog;

// Runs `dialog` modally and returns its result (QDialog::Accepted or QDialog::Rejected).
int RunModal(QDialog& dialog);

// The handler gets the dialog (already built, not shown), may fill in its fields and must close it
// (accept() or reject()); its return value is the result. An empty handler restores exec().
using ModalHandler = std::function<int(QDialog& dialog)>;
void SetModalHandler(ModalHandler handler);
