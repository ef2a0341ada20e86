// STANDINCONFIG, the command line of the stand-in phone server:
//   /PORT:n          listening port (6666; 0 = the system's choice, printed as "PORT n")
//   /HOST:name       the server's name ("@Sender" of its calls is "standin@" + name)
//   /DATA:folder     the data set (default: "standindemo" beside the program)
//   /STATE:folder    the working folder the data set is copied into (default: a new folder in
//                    the temporary folder)
//   /SCRIPT:file     scripted answers and pushes (see STANDINSCRIPT)
//   /CALLLOG:file    the call log (see STANDINCALLLOG)
//   /CALLS:n         n generated calls besides the data set's own
//   /START, /STOP    broadcast "STARTSERVER" after starting, "STOPSERVER" before ending
//   /TIMEOUT:ms      protocol reads of the wire (40000)
//   /PUSHTIMEOUT:ms  result reads of pushes and call-backs (5000)
//   /CONNECTTIMEOUT:ms  connects of pushes and call-backs (3000)
//   /JOBSTEP:ms      the time between the steps of a job's progress (300)
//   /RUNFOR:ms       ends by itself after that long (0: until told to stop)
// Switches are matched ignoring case; "/LOG..." and "/NOASSERT" are the log facility's (the
// program hands them on).
// Portable.
#ifndef STANDINS_STANDINSERVER_STANDINCONFIG_H
#define STANDINS_STANDINSERVER_STANDINCONFIG_H

#include "kestar/base/string.h"

class STANDINCONFIG {
public:
    // Reads the arguments (argv[0] is the program); false with reason on an unknown switch or a
    // bad number.
    bool Parse(int argc, const char *const *argv, STRING &reason);

    STRING Port = "6666";
    STRING Host;
    STRING DataFolder;
    STRING StateFolder;
    STRING ScriptFile;
    STRING CallLogFile;
    int GeneratedCalls = 0;
    bool BroadcastStart = false;
    bool BroadcastStop = false;
    int TimeoutMs = 40000;
    int PushTimeoutMs = 5000;
    int ConnectTimeoutMs = 3000;
    int JobStepMs = 300;
    int RunForMs = 0;
};

#endif
