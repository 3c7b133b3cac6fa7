#include "platform/core/SocketErrors.h"

#include <cerrno>

namespace platform {

namespace {

// Base of the numbers given to system errors that have no counterpart in the
// table: far above it, so that they read as "Unknown Error No. ..." and,
// being above 10000, still count as failures wherever errors are checked.
constexpr int kUnmappedErrnoBase = 20000;

}  // namespace

// Mapped by name: Linux errno values differ from the BSD ones that the
// Windows Sockets numbers were derived from, so no arithmetic on errno.
int SocketErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    case 0: return kSockNoError;
    case EINTR: return kSockEINTR;
    case EBADF: return kSockEBADF;
    case EACCES:
    case EPERM: return kSockEACCES;
    case EFAULT: return kSockEFAULT;
    case EINVAL: return kSockEINVAL;
    case EMFILE:
    case ENFILE: return kSockEMFILE;
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EAGAIN: return kSockEWOULDBLOCK;
    case EINPROGRESS: return kSockEINPROGRESS;
    case EALREADY: return kSockEALREADY;
    case ENOTSOCK: return kSockENOTSOCK;
    case EDESTADDRREQ: return kSockEDESTADDRREQ;
    case EMSGSIZE: return kSockEMSGSIZE;
    case EPROTOTYPE: return kSockEPROTOTYPE;
    case ENOPROTOOPT: return kSockENOPROTOOPT;
    case EPROTONOSUPPORT: return kSockEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return kSockESOCKTNOSUPPORT;
#if ENOTSUP != EOPNOTSUPP
    case ENOTSUP:
#endif
    case EOPNOTSUPP: return kSockEOPNOTSUPP;
    case EPFNOSUPPORT: return kSockEPFNOSUPPORT;
    case EAFNOSUPPORT: return kSockEAFNOSUPPORT;
    case EADDRINUSE: return kSockEADDRINUSE;
    case EADDRNOTAVAIL: return kSockEADDRNOTAVAIL;
    case ENETDOWN: return kSockENETDOWN;
    case ENETUNREACH: return kSockENETUNREACH;
    case ENETRESET: return kSockENETRESET;
    case ECONNABORTED: return kSockECONNABORTED;
    case ECONNRESET: return kSockECONNRESET;
    case ENOBUFS:
    case ENOMEM: return kSockENOBUFS;
    case EISCONN: return kSockEISCONN;
    case ENOTCONN: return kSockENOTCONN;
    // Linux reports EPIPE for a send on a connection whose sending side is
    // shut down, locally or because the peer has reset it.
    case ESHUTDOWN:
    case EPIPE: return kSockESHUTDOWN;
    case ETOOMANYREFS: return kSockETOOMANYREFS;
    case ETIMEDOUT: return kSockETIMEDOUT;
    case ECONNREFUSED: return kSockECONNREFUSED;
    case ELOOP: return kSockELOOP;
    case ENAMETOOLONG: return kSockENAMETOOLONG;
    case EHOSTDOWN: return kSockEHOSTDOWN;
    case EHOSTUNREACH: return kSockEHOSTUNREACH;
    case ENOTEMPTY: return kSockENOTEMPTY;
    case EUSERS: return kSockEUSERS;
    case EDQUOT: return kSockEDQUOT;
    case ESTALE: return kSockESTALE;
    case EREMOTE: return kSockEREMOTE;
    default: return kUnmappedErrnoBase + errnoValue;
  }
}

}  // namespace platform
