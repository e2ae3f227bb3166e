// QtDocumentDialogs: the document's modal dialogs on screen, "Phone Book" and "Dial Setup".
//
// UI thread only.
#pragma once

#include "app/core/dialog_seam.h"

class QWidget;

class QtDocumentDialogs : public IDocumentDialogs {
public:
    // The dialogs open over `parent` (the main window); without one, over the active window.
    explicit QtDocumentDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    bool RunPhoneBook(CHalvoricDoc& doc) override;
    bool RunDialSetup(DialSetupValues& values) override;

private:
    QWidget* Parent() const;

    QWidget* m_parent;
};
