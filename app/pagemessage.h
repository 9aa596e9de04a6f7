// A page's message line: what just happened, in the household's words. A
// success looks like one (green), a failure like one (the alarm's red), and
// anything else, a question, a wait or a hint, keeps the page's own text
// colour from its form. The label's "messageTone" property names the tone
// shown: "success", "failure" or empty.
#pragma once

#include <QString>

class QLabel;

namespace PageMessage {

enum class Tone
{
    Plain,
    Success,
    Failure,
};

// The tone of an outcome: Success when done, else Failure.
inline Tone toneOf(bool done)
{
    return done ? Tone::Success : Tone::Failure;
}

// Shows text, as plain text, on label in tone.
void show(QLabel *label, const QString &text, Tone tone);

} // namespace PageMessage
