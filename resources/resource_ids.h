// Bitmap resource ids: the ticket face and the ten digit glyphs, digit k at IDB_DIGIT_0 + k.
#pragma once

#define IDB_TICKET_FACE 101
#define IDB_DIGIT_0 200
#define IDB_DIGIT_1 201
#define IDB_DIGIT_2 202
#define IDB_DIGIT_3 203
#define IDB_DIGIT_4 204
#define IDB_DIGIT_5 205
#define IDB_DIGIT_6 206
#define IDB_DIGIT_7 207
#define IDB_DIGIT_8 208
#define IDB_DIGIT_9 209
