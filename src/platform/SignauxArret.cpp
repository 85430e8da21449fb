#include "platform/SignauxArret.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// Written by the signal handler, which may use nothing else.
int g_nTubes[2] = {-1, -1};

extern "C" void GestionnaireArret(int nSignal)
{
    const int nErrno = errno;
    const unsigned char c = static_cast<unsigned char>(nSignal);
    [[maybe_unused]] const ssize_t n = ::write(g_nTubes[0], &c, 1);
    errno = nErrno;
}

// A desktop logging out, Ctrl+C in a terminal, the terminal closed.
constexpr int nSignaux[] = {SIGTERM, SIGINT, SIGHUP};

} // namespace

TSignauxArret::TSignauxArret(QObject *Parent) : QObject(Parent)
{
    if (g_nTubes[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_nTubes) != 0)
        return;
    ::fcntl(g_nTubes[0], F_SETFL, ::fcntl(g_nTubes[0], F_GETFL) | O_NONBLOCK);
    m_Notificateur = new QSocketNotifier(g_nTubes[1], QSocketNotifier::Read, this);
    connect(m_Notificateur, &QSocketNotifier::activated, this, &TSignauxArret::Lit);
    struct sigaction Action
    {
    };
    Action.sa_handler = GestionnaireArret;
    sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESTART;
    for (const int nSignal : nSignaux)
        ::sigaction(nSignal, &Action, nullptr);
}

TSignauxArret::~TSignauxArret()
{
    if (!m_Notificateur)
        return;
    struct sigaction Action
    {
    };
    Action.sa_handler = SIG_DFL;
    sigemptyset(&Action.sa_mask);
    for (const int nSignal : nSignaux)
        ::sigaction(nSignal, &Action, nullptr);
    delete m_Notificateur;
    m_Notificateur = nullptr;
    ::close(g_nTubes[0]);
    ::close(g_nTubes[1]);
    g_nTubes[0] = g_nTubes[1] = -1;
}

void TSignauxArret::Lit()
{
    unsigned char c = 0;
    if (::read(g_nTubes[1], &c, 1) == 1)
        emit ArretDemande(int(c));
}
