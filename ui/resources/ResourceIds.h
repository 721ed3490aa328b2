/* Resource identifiers of Vantle.exe: its icon, its cursors and its toolbar images. Read by the
   resource compiler and by C++ alike, so plain definitions only. */
#ifndef VANTLE_RESOURCE_IDS_H
#define VANTLE_RESOURCE_IDS_H

#define VANTLE_ICON 100

/* Panning cursors: the arrows show the directions in which the image can still scroll. */
#define VANTLE_CURSOR_PAN_S 110
#define VANTLE_CURSOR_PAN_N 111
#define VANTLE_CURSOR_PAN_W 112
#define VANTLE_CURSOR_PAN_E 113
#define VANTLE_CURSOR_PAN_NS 114
#define VANTLE_CURSOR_PAN_SW 115
#define VANTLE_CURSOR_PAN_SE 116
#define VANTLE_CURSOR_PAN_NW 117
#define VANTLE_CURSOR_PAN_NE 118
#define VANTLE_CURSOR_PAN_WE 119
#define VANTLE_CURSOR_PAN_NSW 120
#define VANTLE_CURSOR_PAN_NSE 121
#define VANTLE_CURSOR_PAN_SWE 122
#define VANTLE_CURSOR_PAN_NWE 123
#define VANTLE_CURSOR_PAN_NSWE 124

/* Trim rectangle handles. */
#define VANTLE_CURSOR_SIZE_WE 130
#define VANTLE_CURSOR_SIZE_NS 131
#define VANTLE_CURSOR_SIZE_NWSE 132
#define VANTLE_CURSOR_SIZE_NESW 133
#define VANTLE_CURSOR_MOVE 140
/* The drag labels that change a number by horizontal movement. */
#define VANTLE_CURSOR_DRAG_VALUE 141

/* Toolbar image strips, 16 x 16 per image, magenta (RGB 255, 0, 255) where transparent. */
#define VANTLE_TOOLBAR_IMAGES 150
#define VANTLE_TOOLBAR_IMAGES_DISABLED 151

#endif
