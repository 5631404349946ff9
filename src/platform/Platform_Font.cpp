#include "platform/Platform_Font.h"

#include <cstring>

#include "base/Base_Text.h"
#include "platform/Platform_MemoryManager.h"

namespace {
constexpr int32_t WEIGHT_NORMAL = 400;
constexpr int32_t WEIGHT_BOLD = 700;
constexpr uint8_t DEFAULT_PITCH_SWISS = 32;
} // namespace

TFont::~TFont() { MemoryManager::Free(m_Name); }

void TFont::Rebuild()
{
    FontDescription description;
    description.height = m_Height;
    description.weight = (m_Style & FONT_STYLE_BOLD) != 0 ? WEIGHT_BOLD : WEIGHT_NORMAL;
    description.italic = (m_Style & FONT_STYLE_ITALIC) != 0 ? 1 : 0;
    description.underline = (m_Style & FONT_STYLE_UNDERLINE) != 0 ? 1 : 0;
    description.strikeOut = (m_Style & FONT_STYLE_STRIKEOUT) != 0 ? 1 : 0;
    description.pitchAndFamily = DEFAULT_PITCH_SWISS;
    description.faceName = m_Name;
    m_Description = description;
    m_Handle = nullptr;
}

void TFont::SetValue(int32_t value)
{
    m_Value = value;
    Rebuild();
}

char* TFont::GetName() { return String_Copy(m_Name); }

void TFont::SetName(const char* name)
{
    if (name == nullptr) {
        MemoryManager::Free(m_Name);
        m_Name = nullptr;
    } else {
        size_t length = std::strlen(name);
        if (m_Name == nullptr || MemoryManager::GetSize(m_Name) < length + 1) {
            MemoryManager::Free(m_Name);
            m_Name = static_cast<char*>(MEM_ALLOC(length + 1, false));
        }
        std::memmove(m_Name, name, length + 1);
    }
    Rebuild();
}

void TFont::SetHeight(int32_t height)
{
    m_Height = height;
    Rebuild();
}

void TFont::SetStyle(int32_t style)
{
    m_Style = style;
    Rebuild();
}

void TFont::Assign(IQZFont* other)
{
    if (other == nullptr || other == this) return;
    m_Value = other->GetValue();
    char* name = other->GetName();
    SetName(name);
    MemoryManager::Free(name);
    m_Height = other->GetHeight();
    m_Style = other->GetStyle();
    Rebuild();
}
