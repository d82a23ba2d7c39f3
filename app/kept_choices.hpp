#pragma once
// The user's choices kept between runs: an INI file in the user's configuration folder, read
// once at start-up and written whole whenever the user changes a kept choice.

#include <QPoint>
#include <QString>

#include <optional>

#include "app/user_choices.hpp"

namespace qivra {

enum class KeptFileState {
    Missing,     // a first start: nothing kept yet
    Read,        // read; values out of range were skipped one by one
    Damaged,     // not an INI file the program can read: the initial states stand
    Unreadable,  // there, but the program may not read it
};

struct KeptChoices {
    KeptFileState state = KeptFileState::Missing;
    UserChoices choices;                 // the initial states with every valid kept value applied
    std::optional<QPoint> windowPosition;
};

// $XDG_CONFIG_HOME/Qivra28/Qivra28.conf, or its equivalent where Qt puts a user's configuration.
QString DefaultKeptChoicesPath();

// Reads the file at path over initial. A value missing, of the wrong form or out of range
// leaves that one choice at its initial state.
KeptChoices ReadKeptChoices(const QString& path, const UserChoices& initial);

// Replaces the file at path with these choices (temporary file, then rename). False when it
// cannot be written; the old file then stays as it was.
bool WriteKeptChoices(const QString& path, const UserChoices& choices, std::optional<QPoint> windowPosition);

// True when the two differ in no kept choice.
bool SameKeptChoices(const UserChoices& a, const UserChoices& b);

}  // namespace qivra
