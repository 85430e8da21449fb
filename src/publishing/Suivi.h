#pragma once
// How a long task of the file operations shows its progress and hears Esc, without knowing
// the window that does it: the window puts its progress window behind these two calls; tests
// and benchmarks leave them empty.

#include <QtGlobal>
#include <functional>

struct TSuivi
{
    // The work has reached nPosition of nMaximum (both counted in the task's own unit); a
    // maximum of 0 means the total is not known yet (a folder walk counting its finds).
    std::function<void(qint64 nPosition, qint64 nMaximum)> Avance;
    // True when the user asked to stop (Esc, confirmed).
    std::function<bool()> Interrompu;

    void Position(qint64 nPosition, qint64 nMaximum) const
    {
        if (Avance)
            Avance(nPosition, nMaximum);
    }
    bool Arret() const { return Interrompu && Interrompu(); }
};
