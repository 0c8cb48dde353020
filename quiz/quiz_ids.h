// Resource, command, control and timer ids of Cartopia.
#pragma once

// Resources.
#define IDM_MAIN 100      // menu of the main window
#define IDI_CARTOPIA 101  // class icon, About box icon
#define IDB_MAP 110       // the map of the view

// Commands of the menu and of the left panel (1000-1020).
#define ID_START 1000  // "Commencer" button and "Recommencer" menu item
#define ID_QUIT 1001
#define ID_ABOUT 1020

// Controls of the left panel (4000-4013).
#define ID_SKIP 4000
#define ID_QUESTION 4010
#define ID_MISSED_COUNT 4011
#define ID_FOUND_COUNT 4012
#define ID_CLOCK 4013

// Window timer of the map view that drives the game clock.
#define ID_CLOCK_TIMER 1
