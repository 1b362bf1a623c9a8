#pragma once

// The plant tags of one control loop, by role. The tag table on the OPC page
// is a view of this value: each role has one row there, and RoleRow is the
// one place that knows which. Everything else (the experiment set-up, the
// write-back, the settings file, the report) asks for a role.

#include <QString>

#include <array>
#include <optional>

enum class TagRole {
    MV,  // manipulated signal written during the experiment
    MV2, // manipulated signal 2: description only
    U,   // output of controller 1, read
    U2,  // output of controller 2: description only
    Y1,  // measurement 1 (inner process), read
    Y2,  // measurement 2 (outer process), read
    P,   // parameters of controller 1, written back
    I,
    D,
    RA,     // single manual/automatic switch of controller 1
    Manual, // separate manual command of controller 1
    Auto,   // separate automatic command of controller 1
    P2,     // controller 2 (outer): stored and reported only
    I2,
    D2,
    RA2,
    Manual2,
    Auto2,
};

inline constexpr int TagRoleCount = 18;

// Every role in table order.
inline constexpr std::array<TagRole, TagRoleCount> AllTagRoles = {
    TagRole::MV, TagRole::MV2, TagRole::U,  TagRole::U2,     TagRole::Y1,     TagRole::Y2,
    TagRole::P,  TagRole::I,   TagRole::D,  TagRole::RA,     TagRole::Manual, TagRole::Auto,
    TagRole::P2, TagRole::I2,  TagRole::D2, TagRole::RA2,    TagRole::Manual2, TagRole::Auto2};

// The tag table has 20 rows; rows 6 and 13 hold the sub-headings of the two
// controllers and have no role.
inline constexpr int TagTableRows = 20;
int RoleRow(TagRole role);
std::optional<TagRole> RoleAtRow(int row);

// How a controller is switched between manual and automatic, as its radio
// group ("R/A preklop") and combo box ("Ročno:") hold it.
struct ControllerSwitch {
    // Index of the radio group: 0 "R/A" (one switch tag: ManualValue means
    // manual, the other of 0 and 1 automatic), 1 "Ročno + Avtomatsko" (1 is
    // written to the manual or to the automatic command tag).
    int Mode = 1;
    // Index of "Ročno:" (items "0", "1"): the value of the single switch tag
    // that means manual.
    int ManualValue = 0;

    bool SingleTag() const { return Mode == 0; }

    friend bool operator==(const ControllerSwitch&, const ControllerSwitch&) = default;
};

struct LoopTags {
    struct Entry {
        QString Tag;         // the ItemID, used as typed
        QString Description; // "Opis"
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::array<Entry, TagRoleCount> Entries{};
    ControllerSwitch Switch1{}; // controller 1 (inner)
    ControllerSwitch Switch2{}; // controller 2 (outer)

    const QString& Tag(TagRole role) const { return Entries[Index(role)].Tag; }
    const QString& Description(TagRole role) const { return Entries[Index(role)].Description; }
    void SetTag(TagRole role, const QString& tag) { Entries[Index(role)].Tag = tag; }
    void SetDescription(TagRole role, const QString& text) { Entries[Index(role)].Description = text; }
    bool HasTag(TagRole role) const { return !Tag(role).isEmpty(); }

    friend bool operator==(const LoopTags&, const LoopTags&) = default;

private:
    static std::size_t Index(TagRole role) { return static_cast<std::size_t>(role); }
};
