#pragma once
// Recorded steps for the script tests: the window of each belongs to "nosuchsetup.exe", a process
// no job holds, so replaying a step never finds its window and fails (or carries on past it).

#include "engine/model/MsgAction.h"

inline CMsgAction Step(int kind, int controlType, const wchar_t* text, int continueOnFailure = 1)
{
    CMsgAction step;
    step.m_kind = kind;
    step.m_controlType = controlType;
    step.m_controlText = text;
    step.m_delay = 0;
    step.m_continueOnFailure = continueOnFailure;
    step.m_processName = L"nosuchsetup.exe";
    step.m_windowPath = L"#32770-0\\-0";
    return step;
}
