// Platform fonts: a font described by face name, height and style. Nothing in the system draws with
// a platform font, so no system font object is made: the font keeps what it would be created from,
// and its handle is always null.
#pragma once

#include <cstdint>

enum : int32_t {
    FONT_STYLE_BOLD = 1,
    FONT_STYLE_ITALIC = 2,
    FONT_STYLE_UNDERLINE = 4,
    FONT_STYLE_STRIKEOUT = 8,
};

// The creation parameters of the last rebuild.
struct FontDescription {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    const char* faceName = nullptr; // the font's own name buffer
};

class IQZFont {
public:
    virtual ~IQZFont() = default;
    virtual int32_t GetValue() = 0;
    virtual void SetValue(int32_t value) = 0;
    // A new memory-manager copy the caller frees; null when there is no name.
    virtual char* GetName() = 0;
    virtual void SetName(const char* name) = 0;
    virtual int32_t GetHeight() = 0;
    virtual void SetHeight(int32_t height) = 0;
    virtual void SetStyle(int32_t style) = 0;
    virtual int32_t GetStyle() = 0;
    virtual void Assign(IQZFont* other) = 0;
    virtual void* GetHandle() = 0;
};

class TFont : public IQZFont {
public:
    TFont() = default;
    ~TFont() override;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    int32_t GetValue() override { return m_Value; }
    void SetValue(int32_t value) override;
    char* GetName() override;
    // Copies the name, reusing the buffer when it is large enough; null clears it.
    void SetName(const char* name) override;
    int32_t GetHeight() override { return m_Height; }
    void SetHeight(int32_t height) override;
    void SetStyle(int32_t style) override;
    int32_t GetStyle() override { return m_Style; }
    // Value, name, height and style from another font, then a rebuild.
    void Assign(IQZFont* other) override;
    void* GetHandle() override { return m_Handle; }

    const FontDescription& Description() const { return m_Description; }

private:
    void Rebuild();

    int32_t m_Value = 0;
    char* m_Name = nullptr;
    int32_t m_Height = 0;
    int32_t m_Style = 0;
    void* m_Handle = nullptr;
    FontDescription m_Description;
};
