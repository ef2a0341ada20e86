/* Numbers of the texts, menus, accelerators and dialogs of the language libraries.  The program
   fetches them by number; the wording belongs to each language library. */
#ifndef LANG_RESOURCE_IDS_H
#define LANG_RESOURCE_IDS_H

#define IDS_APPNAME 10001    /* the application name, default title of every box */
#define IDS_APPREGKEY 10002  /* the registry key and folder name of the application */

#endif
