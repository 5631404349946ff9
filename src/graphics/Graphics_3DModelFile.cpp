// The model text file: "100", the command count, then per command its kind and ten fields written
// " %10.4f". Lines end CR LF on disk, as a text-mode write makes them; the reader takes CR, LF or both.
#include <algorithm>

#include "base/Base_Numbers.h"
#include "graphics/Graphics_3DDraw.h"
#include "support/Support_SaveAreaWrite.h"
#include "support/Support_Stream.h"

namespace {

constexpr const char* MODEL_VERSION = "100";

// Lines of a byte block: a line starts after any CR and LF and ends at the next CR, LF or the end;
// a zero byte ends the text.
class LineReader {
  public:
    LineReader(const uint8_t* data, int64_t size) : m_Data(data), m_Size(size) {}
    bool Next(std::string* line)
    {
        while (m_At < m_Size && (m_Data[m_At] == '\r' || m_Data[m_At] == '\n'))
            ++m_At;
        if (m_At >= m_Size || m_Data[m_At] == 0) return false;
        int64_t start = m_At;
        while (m_At < m_Size && m_Data[m_At] != '\r' && m_Data[m_At] != '\n' && m_Data[m_At] != 0)
            ++m_At;
        line->assign(reinterpret_cast<const char*>(m_Data + start), size_t(m_At - start));
        if (m_At < m_Size && m_Data[m_At] == 0) m_Size = m_At;
        return true;
    }

  private:
    const uint8_t* m_Data;
    int64_t m_Size;
    int64_t m_At = 0;
};

// A command line: the kind, then up to ten numbers; fields that are missing stay 0, whole-number
// fields are truncated (a value beyond int32 gives INT_MIN), and a line without a kind is an
// unknown command.
ModelCommand ParseCommand(const std::string& line)
{
    ModelCommand c;
    const char* at = line.c_str();
    const char* end = at;
    c.kind = Numbers_ParseInt(at, &end);
    if (end == at) {
        c.kind = -1;
        return c;
    }
    for (int32_t n = 0; n < MODEL_FIELDS; ++n) {
        at = end;
        double value = Numbers_ParseReal(at, &end);
        if (end == at) break;
        if (Model_FieldIsInt(c.kind, n))
            c.field[n].i = Numbers_TruncToInt32(value);
        else
            c.field[n].f = Numbers_ToFloat(value);
    }
    return c;
}

} // namespace

std::string GR_3D_ModelText(int32_t index)
{
    int32_t count = GR_3D_ModelCommandCount(index);
    std::string text = std::string(MODEL_VERSION) + "\r\n" + std::to_string(count) + "\r\n";
    for (int32_t k = 0; k < count; ++k) {
        const ModelCommand* c = GR_3D_ModelCommand(index, k);
        text += std::to_string(c->kind);
        for (int32_t n = 0; n < MODEL_FIELDS; ++n) {
            double value = Model_FieldIsInt(c->kind, n) ? double(c->field[n].i) : double(c->field[n].f);
            text += Numbers_Format(" %10.4f", value);
        }
        text += "\r\n";
    }
    return text;
}

bool GR_3D_ModelRead(int32_t index, const uint8_t* data, int64_t size)
{
    if (!GR_3D_ModelExists(index)) return false;
    GR_3D_ModelClear(index);
    LineReader lines(data, data != nullptr ? size : 0);
    std::string line;
    if (!lines.Next(&line) || line != MODEL_VERSION) return false;
    // The count bounds the commands read; the lines present bound the commands kept.
    int32_t count = lines.Next(&line) ? Numbers_ParseInt(line.c_str()) : 0;
    for (int32_t k = 0; k < count && lines.Next(&line); ++k)
        GR_3D_ModelAdd(index, ParseCommand(line));
    return true;
}

bool GR_3D_ModelSave(int32_t index, const char* name)
{
    if (!GR_3D_ModelExists(index) || name == nullptr) return false;
    std::string text = GR_3D_ModelText(index);
    if (text.size() > size_t(INT32_MAX)) return false;
    return LoadSave_WriteSaveAreaFile(name, text.data(), int32_t(text.size()));
}

bool GR_3D_ModelLoad(int32_t index, const char* name)
{
    if (!GR_3D_ModelExists(index)) return false;
    GR_3D_ModelClear(index);
    if (name == nullptr) return false;
    CStream stream;
    stream.LoadFromFile(name, 0);
    return GR_3D_ModelRead(index, stream.GetBuffer(), stream.GetSize());
}
