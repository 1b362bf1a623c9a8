#pragma once

// "Naloži v regulator": the P, I and D fields of the controller page written
// to the tags of controller 1 through the group "SkupReg", without a window.
//
// PlanWriteBack reads the fields and the loop's tags and refuses a write-back
// that would leave the controller with a partial or meaningless set;
// ControllerWriteBack carries a plan out: it waits for the tags, keeps the
// values the controller holds, writes the parameters one by one, reads them
// back, and can write the kept values back again.

#include "opc/LoopTags.h"

#include <QString>
#include <QVariant>

#include <array>
#include <optional>

class OpcGroup;
class OpcServer;

// One parameter of a write-back.
struct WriteBackParameter {
    TagRole Role = TagRole::P;
    QString Name;         // "P", "I", "D"
    QString Tag;          // the tag it goes to
    QVariant Value;       // as written: a double, or the integer 0 for an empty field
    QString Shown;        // as the page shows it, "0" for an empty field
    bool Skipped = false; // no tag and nothing to write there
};

struct WriteBackPlan {
    std::array<WriteBackParameter, 3> Parameters;

    // The question before the write: each parameter with its tag and value.
    QString Question() const;
};

// One of the page's three fields (Edit_Reg_Kp, Edit_Reg_Ki, Edit_Reg_Kd).
struct WriteBackField {
    QString Text;
    bool Visible = true;
};

// The write-back of the fields to the P, I and D tags of `tags`. A field that
// is empty or hidden and has no tag is skipped; an empty field with a tag is
// written as the integer 0. Throws OpcError ("Parametri niso bili naloženi v
// regulator: ...") when no tuning was computed for the present model, when a
// field is not a finite number (naming the parameter), when a value would
// have no tag to go to, and when nothing but zeros would be written.
WriteBackPlan PlanWriteBack(const LoopTags& tags, const std::array<WriteBackField, 3>& fields,
                            bool tuningCurrent);

class ControllerWriteBack {
public:
    ControllerWriteBack(OpcServer& server, OpcGroup& group) : server_(server), group_(group) {}

    // The bound of each wait: for good quality before writing and for the
    // server to report the written values [ms].
    int WaitMs = 3000;

    // Replaces the group's items by the plan's tags, waits (keeping the
    // program alive) for a good quality of each, keeps the values they hold,
    // writes the parameters in order and waits for the server to report
    // them back. Returns the status text: each parameter with its tag, old
    // and new value, and the skipped ones. Throws OpcError when there is no
    // connection, a tag shows no good quality (nothing written), a write is
    // refused (the message says what was written) or a value does not come
    // back as written.
    QString Write(const WriteBackPlan& plan);

    // The values the controller held before the last write-back that wrote
    // something, as a plan (parameters whose value was not known skipped).
    std::optional<WriteBackPlan> PreviousValues() const { return previous_; }

private:
    OpcServer& server_;
    OpcGroup& group_;
    std::optional<WriteBackPlan> previous_;
};
