// What the object and event tests share: a few built-in functions that let event code report what it
// sees, code compiled from source, instances, and a clean run state for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "code/Code_Value.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_Class.h"
#include "object/Object_Class.h"
#include "object/Object_Event.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "run/Run_Event.h"
#include "run/Run_Globals.h"

namespace objecttest {

// What test_record() saw, one line per call: "object type number self other".
inline std::vector<std::string>& Records()
{
    static std::vector<std::string> records;
    return records;
}

inline int32_t IdOf(CInstance* instance) { return instance != nullptr ? instance->GetId() : -4; }

inline void Record(ScriptValue*, CInstance* self, CInstance* other, int32_t, ScriptValue*)
{
    char line[128];
    std::snprintf(line, sizeof line, "%d %d %d %d %d", g_CurrentEventObject, g_CurrentEventType, g_CurrentEventNumber,
                  IdOf(self), IdOf(other));
    Records().push_back(line);
}

// test_perform(type, subtype): performs an event on self as an instance of its own object.
inline void Perform(ScriptValue*, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args)
{
    if (argc < 2 || self == nullptr) return;
    Perform_Event(self, other, static_cast<int32_t>(args[0].real), static_cast<int32_t>(args[1].real));
}

inline void RegisterFunctions()
{
    // By name, not once per process: a test that frees the function table takes these rows with it.
    int32_t id = -1;
    if (Code_Function_Find("test_record", &id)) return;
    Function_Add("test_record", Record, 0);
    Function_Add("test_perform", Perform, 2);
}

// Texts of compiled code live as long as the test program: code objects keep pointers to them.
inline const char* KeepText(const std::string& text)
{
    static std::deque<std::string> texts;
    texts.push_back(text);
    return texts.back().c_str();
}

inline CCode* Compiled(const std::string& source)
{
    const char* text = KeepText(source);
    CCode* code = new CCode(text, false);
    EXPECT_TRUE(code->Compile("test")) << source << "\n" << g_CodeErrorText;
    return code;
}

// Gives the object a handler running `source`.
inline void SetHandler(int32_t object, int32_t type, int32_t subtype, const std::string& source)
{
    CEvent** slot = Object_Data(object)->EventSlot(type, subtype);
    ASSERT_NE(nullptr, slot);
    if (*slot == nullptr) *slot = new CEvent();
    CCode* code = Compiled(source);
    (*slot)->SetCode(code, code->GetText());
}

// A run state in which events are performed and errors neither show a form nor end anything.
class ObjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterFunctions();
        Object_ResetTable();
        ObjectLists_Free();
        Records().clear();
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
        g_CodeErrorFlag = false;
        g_GameOptions.showErrors = false;
        g_GameOptions.abortOnError = false;
        g_EventDepth = 0;
        g_ErrorLast.clear();
    }
    void TearDown() override
    {
        for (CInstance* instance : m_Instances) delete instance;
        Object_ResetTable();
        ObjectLists_Free();
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
    }

    int32_t AddObject(int32_t parent = -1)
    {
        int32_t index = Object_Add();
        Object_Data(index)->m_ParentIndex = parent;
        Object_LinkParents();
        return index;
    }

    CInstance* MakeInstance(int32_t object)
    {
        CInstance* instance = new CInstance(0.0f, 0.0f, 100000 + static_cast<int32_t>(m_Instances.size()), object, false);
        m_Instances.push_back(instance);
        return instance;
    }

    std::vector<CInstance*> m_Instances;
};

} // namespace objecttest
