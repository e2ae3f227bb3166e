// Answers the console's modal dialogs from a test for as long as the object lives (see
// dialogs/modal_seam.h): `handler` gets each dialog before it would be shown and closes it.
#pragma once

#include <utility>

#include "dialogs/modal_seam.h"

class ScopedModalHandler {
public:
    explicit ScopedModalHandler(ModalHandler handler) { SetModalHandler(std::move(handler)); }
    ~ScopedModalHandler() { SetModalHandler({}); }
    ScopedModalHandler(const ScopedModalHandler&) = delete;
    ScopedModalHandler& operator=(const ScopedModalHandler&) = delete;
};
