#pragma once
// What a page of the main window may ask of the program, and nothing more: the history it
// shows, the user's choices, the draw clock's count, and a few requests. The program implements
// it; page tests may fake it.

#include <cstdint>
#include <functional>

#include "app/user_choices.hpp"
#include "core/draw.hpp"

class QWidget;

namespace qivra {

class MessageBoxes;
class SoundPlayer;

class PageHost {
public:
    // The history of the last successful feed load (replaced as a whole, never edited).
    virtual const DrawHistory& History() const = 0;
    // The number of periods the views judge (the value of 期数).
    virtual int HistoryDepth() const = 0;
    // Seconds until the next draw is due, as the draw clock counts them.
    virtual int32_t Countdown() const = 0;
    // True while a refresh pass runs: the grids are being rewritten under the pages.
    virtual bool RefreshInFlight() const = 0;
    virtual const UserChoices& Choices() const = 0;
    // The program changes a choice on the user's behalf (a loaded algorithm, a search result):
    // stored, then shown by the widgets.
    virtual void Choose(const std::function<void(UserChoices&)>& change) = 0;
    virtual MessageBoxes& Messages() = 0;
    virtual SoundPlayer& Sounds() = 0;
    // The window message boxes are shown over.
    virtual QWidget* DialogParent() const = 0;

protected:
    ~PageHost() = default;
};

}  // namespace qivra
