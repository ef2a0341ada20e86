/* Numbers of the texts, menus, accelerators and dialogs of the language libraries.  The program
   fetches them by number; the wording belongs to each language library. */
#ifndef LANG_RESOURCE_IDS_H
#define LANG_RESOURCE_IDS_H

#define IDS_APPNAME 10001    /* the application name, default title of every box */
#define IDS_APPREGKEY 10002  /* the registry key and folder name of the application */
#define IDS_HELPFILE 10003   /* the client's help file */
#define IDS_APPTITLE 10004   /* the main window's title */
#define IDS_TRAYTIP 2901     /* the tray icon's first tooltip */
#define IDS_TITLE_ARCHIVE 2920 /* added to the title while the archive is shown */
#define IDS_TITLE_NOSERVER 2972 /* stands for the server in the title while none is known */
#define IDS_DTMF_HINT 3004    /* before a number is played as tones: hold the handset to the loudspeaker */
#define IDS_BROKENFILE 2965     /* a file that cannot be loaded: $FILE, used by $NAME */
#define IDS_MSGFILE_FAILED 2969 /* a message file could not be fetched from the server */
/* What the server pushes and the worker's watch of the server. */
#define IDS_SERVERINFO 2923     /* before a status text of the server $NAME */
#define IDS_MESSAGEFROM 3012    /* title of a message from another user, followed by the sender */
#define IDS_TOOMANYDEVICES 3017 /* the server has more devices than its licence allows */
#define IDS_SERVERLOST 3027     /* the server no longer answers: the connection was closed */
#define IDS_RELOGON_WAITING 3028 /* after a power-down: waiting for the server before logging on again */

/* The session with the server: status texts (part 0 of the status bar; $NAME is the server), the
   boxes of a refused logon and of the connectivity check, and the password dialog. */
#define IDS_SMSPROVIDER_MISSING 3010 /* the server sent no SMS provider file */
#define IDS_LOGON_CLIENTNOTFOUND 3014 /* the server does not know the client $NAME */
#define IDS_LOGON_LOGGINGON 3020    /* logging on to $NAME */
#define IDS_LOGON_LOADING 3021      /* loading the lists from $NAME */
#define IDS_LOGON_FAILED 3022       /* $NAME cannot be reached */
#define IDS_LOGON_NOSERVER 3023     /* no server configured: looking for one */
#define IDS_LOGON_CONNECTING 3024   /* connecting to $NAME */
#define IDS_CONNECT_NOANSWER 3025   /* the server $S does not answer on port $SP */
#define IDS_CONNECT_NOWAYBACK 3026  /* the server $S cannot reach this computer $C on port $CP */
#define IDS_LOGON_WRONGVERSION 3034 /* client and server speak different versions */
#define IDD_PASSWORD 2058
#define IDC_PASSWORD_EDIT 201       /* the password, at most 128 characters */

#define IDS_ARCHIVE_FOUND 3035   /* the archive fill found $NUMBER entries (status bar) */
#define IDS_ARCHIVE_FILLING 3038 /* the please-wait text while the archive list fills */
#define IDS_WORKDIR_MOVE 10120     /* asks whether the data move to the new work folder */
#define IDS_WORKDIR_NEXTSTART 10121 /* the new work folder takes effect at the next start */
#define IDS_WORKDIR_CHOOSE 10122   /* title of the folder chooser of the work-folder dialog */

/* Call item texts: most hold several phrases separated by "|" (the code names their order). */
#define IDS_CALLSTATES 2907        /* ringing, hung up at $TIME, taken elsewhere, unknown, rejected, ignored */
#define IDS_MESSAGESTATES 2929     /* announcement, played, recording, $HOWMANY messages, called for it, remote */
#define IDS_FAXSTATES 2956         /* receiving, received, $HOWMANY pages, failed */
#define IDS_JOBPENDING 2942        /* a job waits to be sent */
#define IDS_SMSPROGRESS 2943       /* SMS: calling $NAME ($CURRENT, $TOTAL), error, waiting $SECONDS, SMS, sent, failed, aborted */
#define IDS_FAXPROGRESS 2966       /* fax: calling, error, waiting, fax, sent, failed, aborted, $PERCENT, $UNITS, cancel, $BYTES, line */
#define IDS_MAILSTATES 2989        /* e-mail, sent ($CODE), not sent ($CODE) */
#define IDS_NUMBERUNKNOWN 2911     /* a caller number the network did not give */
#define IDS_NUMBERSUPPRESSED 2912  /* a caller number the caller withheld */
#define IDS_NUMBERUNREGISTERED 2919 /* a caller number that is not registered */
#define IDS_CALLERSUBTYPES 2988    /* the kinds of number: phone, fax, mobile, office, data */
#define IDS_POPUPHISTORY 2921      /* heading of the earlier calls of a caller */
#define IDS_DAYWORDS 2951          /* today, yesterday, Sunday ... Saturday */
#define IDS_FAXREPORTWORDS 3030    /* normal, high, fax sent, fax received, seconds unit, $PAGES more pages */
#define IDS_FAXREPORT 3031         /* the fax transmission report: $TYPE $CSID $START $DURA $RES $PAGES $MODE $BIT $MSN $DEST $STATUS */

/* The main window's support texts. */
#define IDS_LISTFILTER 2987        /* the list filter: all entries, calls, messages, faxes, calls/messages/faxes */
#define IDS_ARCHIVEFILTER 3033     /* names the list while the archive (a search result) is shown */
#define IDS_TIPSFILE 2993          /* the file name of the tips of the day, in the program folder */
#define IDS_OVERWRITESOUND 2995    /* a recording is about to replace an existing sound file */
#define IDS_NOFAXRIGHT 3039        /* faxes cannot be sent or polled: no right, or the server has no fax */

/* The tip of the day: the frequencies of its drop-down list ("|"-separated, index = style) and
   its dialog. */
#define IDS_TIPOFDAY_STYLES 10111
#define IDD_TIPOFDAY 10700
#define IDC_TIPOFDAY_TITLE 914   /* the tip's title; its template text is the default title */
#define IDC_TIPOFDAY_TEXT 915
#define IDC_TIPOFDAY_STYLE 916   /* drop-down list of the frequencies */
#define IDC_TIPOFDAY_BAND 917    /* the coloured band */
#define IDC_TIPOFDAY_NEXT 1

/* The remembered message box: OK, Yes and No are the usual ids 1, 6 and 7; the code lays out the
   items. */
#define IDD_REMEMBERBOX 10701
#define IDC_REMEMBERBOX_TEXT 10001
#define IDC_REMEMBERBOX_ICON 10002
#define IDC_REMEMBERBOX_CHECK 10003

/* The frame of the first-run wizard.  Its pages carry their own hidden statics 666 and 667, whose
   texts the banner shows; no frame item may have the id 1, 100 or 101 (the lines are 100 and 101). */
#define IDD_WIZARD 10702
#define IDC_WIZARD_TITLE 666
#define IDC_WIZARD_SUBTITLE 667
#define IDC_WIZARD_PAGEAREA 914  /* placeholder: the page area, as large as the biggest page */
#define IDC_WIZARD_BANNER 915
#define IDC_WIZARD_BANNER3 916   /* the product icon on the banner */
#define IDC_WIZARD_BACK 148
#define IDC_WIZARD_NEXT 149

/* The product icon, the class icon of last resort of every window. */
#define IDI_PRODUCT 1
/* The check marks of check-list lines (16, 24 and 32 pixels). */
#define IDI_CHECKED 10901
#define IDI_UNCHECKED 10902

/* The main window's accelerator table and the commands it sends. */
#define IDA_MAIN 2000
#define IDM_CONNECT 2103
#define IDM_DELETE_SELECTED 2111
#define IDM_COPY_NUMBER 2115
#define IDM_OPEN_MESSAGE 2116
#define IDM_EDIT_COMMENT 2120
#define IDM_PRINT_LIST 2124
#define IDM_HELP_CONTENTS 2190

/* The work-folder dialog: its folder field and the buttons bound to it. */
#define IDD_WORKDIR 10704
#define IDC_WORKDIR_FOLDER 667
#define IDC_WORKDIR_CURRENT 146
#define IDC_WORKDIR_BROWSE 147

#endif
