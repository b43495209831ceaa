#pragma once
// The fields of a template line: texts separated by single TAB characters. A TAB can never be
// the trail byte of a Shift-JIS character, so the bytes can be split without decoding.

#include "platform/String.h"

// Field n of the line, counted from 1. Fields are cut off the front one at a time, and the
// first empty one (two TABs in a row, a TAB at the start, or no field left) ends the line:
// it and every later field read as the empty string. n of 0 or less gives the empty string.
CString GetTabField(const CString& strLine, int n);

// Fields 1 to nCount of the line into pFields by the same rule, in one pass over the line.
void SplitTabFields(const CString& strLine, CString* pFields, int nCount);
