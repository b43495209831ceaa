#pragma once
// Parts of the program that most runs never use (the downloads with libcurl and its TLS
// libraries, the record window's chart with Qt's chart library) live in small shared libraries
// beside the executable and are loaded when first needed, not at every start. Each has one
// plain C entry point, looked up by name.

#include <string>

// The library from the program's own folder, or wherever the loader's search finds it (the
// calling program's RUNPATH, which is $ORIGIN); the handle stays open for the rest of the run.
// nullptr when it cannot be loaded, with the loader's reason in *pstrError.
void* OpenBesideProgram(const char* pszLibrary, std::string* pstrError = nullptr);
