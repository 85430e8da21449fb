#pragma once
// The three parameter dialogs as the treatment commands use them: each starts from the last
// validated values of the settings record; on OK the new values go into the record and the
// settings store, which is saved at once (a failed save is said, and the values wait for the
// next one), and the parameter text comes back. Nothing comes back on Annuler. With
// lTrtApercu on, fnSource gives the picture the preview beside the dialog starts from.

#include "treatments/TrtApercu_fm.h"

#include <QString>

#include <optional>

class QWidget;
class TAfficheImageKX;
class TContexte;
class TfmMainKX;

std::optional<QString> DemandeParamNB(TContexte &Contexte, QWidget *Parent, const TSourceApercu &fnSource = {});
std::optional<QString> DemandeParamCL(TContexte &Contexte, QWidget *Parent, const TSourceApercu &fnSource = {});
std::optional<QString> DemandeParamCanaux(TContexte &Contexte, QWidget *Parent, const TSourceApercu &fnSource = {});

// The preview's source for the dialogs opened over the main window: the picture its image
// pane shows, treatments included, when the current image could be read; nothing otherwise.
TSourceApercu SourceApercuImageAffichee(const TfmMainKX &Main, const TAfficheImageKX &Affiche);
