#pragma once
// The three parameter dialogs as the treatment commands use them: each starts from the last
// validated values of the settings record; on OK the new values go into the record and the
// settings store, which is saved at once (a failed save is said, and the values wait for the
// next one), and the parameter text comes back. Nothing comes back on Annuler.

#include <QString>

#include <optional>

class QWidget;
class TContexte;

std::optional<QString> DemandeParamNB(TContexte &Contexte, QWidget *Parent);
std::optional<QString> DemandeParamCL(TContexte &Contexte, QWidget *Parent);
std::optional<QString> DemandeParamCanaux(TContexte &Contexte, QWidget *Parent);
