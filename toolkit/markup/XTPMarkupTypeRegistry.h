#pragma once
// The markup type registry: the only place where element names are bound to classes. It is made
// on first use, and making it makes the type of every class in its table, in the table's order;
// so a program that links the markup library finds every type by tag, without depending on static
// initialisers in object files that nothing references. Property registrars run later, once per
// process, when the first markup context is made (RegisterMarkupTypesOnce).
//
// Everything here runs on the user-interface thread and is not locked.

#include "toolkit/markup/XTPMarkupObject.h"

// The type written with this tag (case-sensitive); null for an unknown or empty tag. No reference
// is added.
CXTPMarkupType* FindMarkupType(const wchar_t* tag);

// The newest type of the list of every type; walk on with GetNextType.
CXTPMarkupType* GetFirstMarkupType();

// Runs the property registrar of every type, bases before derived classes, each once.
void RegisterAllMarkupTypes();

// The registration step of the first markup context: RegisterAllMarkupTypes unless it has run.
void RegisterMarkupTypesOnce();

// Enters a new type: by tag when it has one (a later tag replaces an earlier one), and at the head
// of the list, which takes over the type's reference.
void AddMarkupType(CXTPMarkupType* type);

// The exit-time teardown: the shared values, the property name map and the registry with every
// type, in that order. It runs by itself at process exit; tests call it to prove that nothing is
// leaked or freed twice. Markup objects made afterwards start the statics afresh.
void ReleaseMarkupStatics();
