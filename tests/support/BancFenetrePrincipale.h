#pragma once
// A main window on a temporary data folder, the offscreen platform and a fake message helper
// (TMessages, a TMessagesFactices or one derived from it), as the widget tests start it.

#include "mainwindow/MainKX_fm.h"
#include "support/DossierDonneesTemporaire.h"
#include "support/MessagesFactices.h"

#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

template <class TMessages = TMessagesFactices>
class TBancFenetrePrincipale : public ::testing::Test, public TDossierDonneesTemporaire
{
public:
    std::unique_ptr<TContexte> Contexte;
    std::unique_ptr<TfmMainKX> Fenetre;
    // The context's message helper, owned by it.
    TMessages *Messages = nullptr;

protected:
    // Makes a new context (see NouveauContexte) with a new fake message helper and a window
    // on it, not created yet: the caller sets what must be set before FormCreate.
    void PrepareFenetre(bool lRacine = true)
    {
        Fenetre.reset();
        Contexte = NouveauContexte(lRacine);
        auto m = std::make_unique<TMessages>();
        Messages = m.get();
        Contexte->Messages = std::move(m);
        Fenetre = std::make_unique<TfmMainKX>(*Contexte);
    }
    // PrepareFenetre, then the window's creation (folders, stores, settings, features).
    void CreeFenetre(bool lRacine = true)
    {
        PrepareFenetre(lRacine);
        Fenetre->FormCreate(nullptr);
    }
    // Shows the window and waits until it is on the screen.
    void MontreFenetre()
    {
        Fenetre->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
    }
    // A control of the window by its name; the test stops when there is none.
    template <class W>
    W *Controle(const char *cNom) const
    {
        if (W *w = Fenetre->findChild<W *>(QString::fromLatin1(cNom)))
            return w;
        throw std::runtime_error(std::string("no control named ") + cNom);
    }
};
