// The words the client and the phone server exchange: remote commands in both directions,
// result words, the answers of "LOGIN" and the names of the server's edit locks.  One list, so
// that the client core and the stand-in server can never spell a command two ways.
#ifndef COMMON_COMMANDNAMES_H
#define COMMON_COMMANDNAMES_H

// Client to server.
namespace PLXCMD {
constexpr const char *LOGIN = "LOGIN";
constexpr const char *LOGOUT = "LOGOUT";
constexpr const char *GETSRVHARDWARE = "GETSRVHARDWARE";
constexpr const char *GETSERVERFILE = "GETSERVERFILE";
constexpr const char *GETSMSSENDOPTIONS = "GETSMSSENDOPTIONS";
constexpr const char *GETITEMS = "GETITEMS";
constexpr const char *GETTARGETS = "GETTARGETS";
constexpr const char *SAVETARGETS = "SAVETARGETS";
constexpr const char *SAVEONETARGET = "SAVEONETARGET";
constexpr const char *GETCALLERS = "GETCALLERS";
constexpr const char *SAVECALLERS = "SAVECALLERS";
constexpr const char *FINDCALLER = "FINDCALLER";
constexpr const char *ADDCALLER = "ADDCALLER";
constexpr const char *GETCLIENTS = "GETCLIENTS";
constexpr const char *SAVECLIENTS = "SAVECLIENTS";
constexpr const char *GETACTIVECLIENTS = "GETACTIVECLIENTS";
constexpr const char *GETSRVOPTIONS = "GETSRVOPTIONS";
constexpr const char *SAVESRVOPTIONS = "SAVESRVOPTIONS";
constexpr const char *ADDJOB = "ADDJOB";
constexpr const char *ABORTFAXJOB = "ABORTFAXJOB";
constexpr const char *REJECTCALL = "REJECTCALL";
constexpr const char *ITEMDELETE = "ITEMDELETE";
constexpr const char *ITEMARCHIVE = "ITEMARCHIVE";
constexpr const char *ITEMCOMMENT = "ITEMCOMMENT";
constexpr const char *ITEMSEEN = "ITEMSEEN";
constexpr const char *SENDMESSAGE = "SENDMESSAGE";
constexpr const char *CFSETSTATUS = "CFSETSTATUS";
constexpr const char *CFQUERYSTATUS = "CFQUERYSTATUS";
constexpr const char *ACTIONLOCK = "ACTIONLOCK";
constexpr const char *ACTIONUNLOCK = "ACTIONUNLOCK";
constexpr const char *GETFAXSENDOPTIONS = "GETFAXSENDOPTIONS";
constexpr const char *GETMESSAGEFILE = "GETMESSAGEFILE";
constexpr const char *PING = "PING";
constexpr const char *CHECKCONNECTIVITY = "CHECKCONNECTIVITY";

// Server to client.
constexpr const char *ALERTBROKENFILES = "ALERTBROKENFILES";
constexpr const char *ALERTTOOMUCHDEVICES = "ALERTTOOMUCHDEVICES";
constexpr const char *BCHANNELSTATUS = "BCHANNELSTATUS";
constexpr const char *PERMCHANGED = "PERMCHANGED";
constexpr const char *STARTSERVER = "STARTSERVER";
constexpr const char *STOPSERVER = "STOPSERVER";
constexpr const char *SERVEROPTIONSCHANGED = "SERVEROPTIONSCHANGED";
constexpr const char *SERVERCALLERSCHANGED = "SERVERCALLERSCHANGED";
constexpr const char *SERVERTARGETSCHANGED = "SERVERTARGETSCHANGED";
constexpr const char *SERVERONETARGETCHANGED = "SERVERONETARGETCHANGED";
constexpr const char *SETSTATUSBAR = "SETSTATUSBAR";
constexpr const char *SHOWMESSAGE = "SHOWMESSAGE";
constexpr const char *WELCOME = "WELCOME";
constexpr const char *SMSDIALOGCALLBACK = "SMSDIALOGCALLBACK";
constexpr const char *UPDATEACTIVECLIENTS = "UPDATEACTIVECLIENTS";
constexpr const char *UPDATELISTVIEW = "UPDATELISTVIEW";

// Broadcast by the client to every server.
constexpr const char *NEEDSERVER = "NEEDSERVER";
} // namespace PLXCMD

// Result words.
namespace PLXRESULT {
constexpr const char *OK = "<OK>";
constexpr const char *NOK = "<NOK>";
constexpr const char *FAIL = "<FAIL>";
constexpr const char *NONE = "<NULL>"; // the handler set no result
constexpr const char *LOCKED = "<LOCKED>";
constexpr const char *ASYNC = "<ASYNC>";
} // namespace PLXRESULT

// Values of "Ok" in the answer to "LOGIN".
namespace PLXLOGIN {
constexpr const char *PASSWORD_REQUIRED = "PASSWORD_REQUIRED";
constexpr const char *PASSWORD_WRONG = "PASSWORD_WRONG";
constexpr const char *SERVER_IS_STARTING = "SERVER_IS_STARTING";
constexpr const char *CLIENT_NOT_FOUND = "CLIENT_NOT_FOUND";
constexpr const char *DIFFERENT_COMM_VERSION = "DIFFERENT_COMM_VERSION";
constexpr const char *SUCCESSFUL = "SUCCESSFUL";
// The communication version of this build; client and server must agree on it.
constexpr const char *COMMVERSION = "1004_421";
} // namespace PLXLOGIN

// The server's edit locks ("Action" of "ACTIONLOCK" and "ACTIONUNLOCK").
namespace PLXLOCK {
constexpr const char *TARGETS = "LOCK_TARGETS_RW";
constexpr const char *CALLERS = "LOCK_CALLERS_RW";
constexpr const char *CLIENTS = "LOCK_CLIENTS_RW";
constexpr const char *SRVOPTIONS = "LOCK_SRVOPTIONS_RW";
} // namespace PLXLOCK

// Peer names and roles.
namespace PLXPEER {
constexpr const char *SERVER = "{SERVER}";
constexpr const char *LOCAL = "{LOCAL}";
constexpr const char *CLIENTS = "{CLIENTS}";
constexpr const char *ROLE_CLIENT = "{CLIENT}";
constexpr const char *ROLE_SERVER = "{SERVER}";
constexpr const char *SYNC = "<SYNC>";
constexpr const char *ASYNC = "<ASYNC>";
} // namespace PLXPEER

// The mailslots: clients read the first and write the second (domain-wide), servers the other
// way round.
namespace PLXSLOT {
constexpr const char *CLIENT_OWN = "\\\\.\\MAILSLOT\\PARLOCL4";
constexpr const char *CLIENT_PEER = "\\\\*\\MAILSLOT\\PARLOSR4";
constexpr const char *SERVER_OWN = "\\\\.\\MAILSLOT\\PARLOSR4";
constexpr const char *SERVER_PEER = "\\\\*\\MAILSLOT\\PARLOCL4";
} // namespace PLXSLOT

#endif
