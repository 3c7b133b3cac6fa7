#pragma once

namespace platform {

// Socket error numbers as the logic knows them (the Windows Sockets
// numbering). The platform maps the system's errors onto these by name.
enum SocketError : int {
  kSockNoError = 0,
  kSockEINTR = 10004,
  kSockEBADF = 10009,
  kSockEACCES = 10013,
  kSockEFAULT = 10014,
  kSockEINVAL = 10022,
  kSockEMFILE = 10024,
  kSockEWOULDBLOCK = 10035,
  kSockEINPROGRESS = 10036,
  kSockEALREADY = 10037,
  kSockENOTSOCK = 10038,
  kSockEDESTADDRREQ = 10039,
  kSockEMSGSIZE = 10040,
  kSockEPROTOTYPE = 10041,
  kSockENOPROTOOPT = 10042,
  kSockEPROTONOSUPPORT = 10043,
  kSockESOCKTNOSUPPORT = 10044,
  kSockEOPNOTSUPP = 10045,
  kSockEPFNOSUPPORT = 10046,
  kSockEAFNOSUPPORT = 10047,
  kSockEADDRINUSE = 10048,
  kSockEADDRNOTAVAIL = 10049,
  kSockENETDOWN = 10050,
  kSockENETUNREACH = 10051,
  kSockENETRESET = 10052,
  kSockECONNABORTED = 10053,
  kSockECONNRESET = 10054,
  kSockENOBUFS = 10055,
  kSockEISCONN = 10056,
  kSockENOTCONN = 10057,
  kSockESHUTDOWN = 10058,
  kSockETOOMANYREFS = 10059,
  kSockETIMEDOUT = 10060,
  kSockECONNREFUSED = 10061,
  kSockELOOP = 10062,
  kSockENAMETOOLONG = 10063,
  kSockEHOSTDOWN = 10064,
  kSockEHOSTUNREACH = 10065,
  kSockENOTEMPTY = 10066,
  kSockEPROCLIM = 10067,
  kSockEUSERS = 10068,
  kSockEDQUOT = 10069,
  kSockESTALE = 10070,
  kSockEREMOTE = 10071,
  kSockSYSNOTREADY = 10091,
  kSockVERNOTSUPPORTED = 10092,
  kSockNOTINITIALISED = 10093,
  kSockHOST_NOT_FOUND = 11001,
  kSockTRY_AGAIN = 11002,
  kSockNO_RECOVERY = 11003,
  kSockNO_DATA = 11004,
};

// Maps a Linux errno value onto the numbers above; an errno without a
// counterpart maps to a number outside the table (so its text reads
// "Unknown Error No. ...").
int SocketErrorFromErrno(int errnoValue);

}  // namespace platform
