#pragma once

// The application object the commands that draw charts need (for their
// pictures): on Qt's offscreen platform, never a window. The platform's notes
// (no runtime folder, ...) are no concern of a command; only critical
// messages reach stderr.

#include <QApplication>

class OffscreenApplication {
public:
    OffscreenApplication();

private:
    int argc_ = 1;
    char program_[11] = "varkol-cli";
    char* argv_[2] = {program_, nullptr};
    QApplication application_;
};
