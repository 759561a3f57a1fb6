#include "vkfault.h"

#include <algorithm>
#include <cstdlib>

#include "ksfiles.h"

namespace vendorkit {

namespace {

bool isSeparator(char c)
{
    return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool parseEntry(std::string_view entry, const std::vector<std::string>& operations, Fault& out, std::string* why)
{
    const size_t first = entry.find(':');
    const size_t second = first == std::string_view::npos ? first : entry.find(':', first + 1);
    auto fail = [&](const std::string& reason) {
        if (why)
            *why = "\"" + ks::printableText(std::string(entry)) + "\": " + reason;
        return false;
    };
    if (second == std::string_view::npos)
        return fail("not OPERATION:CALL:CODE");
    const std::string_view op = entry.substr(0, first);
    const std::string_view call = entry.substr(first + 1, second - first - 1);
    const std::string_view code = entry.substr(second + 1);
    if (std::find(operations.begin(), operations.end(), op) == operations.end())
        return fail("unknown operation");
    LONG n = 0;
    if (!parseInteger(call, n) || n < 1)
        return fail("the call counts from 1");
    HRESULT hr = S_OK;
    if (!parseFailureCode(code, hr))
        return fail("no failure code");
    out.operation.assign(op);
    out.call = n;
    out.result = hr;
    return true;
}

}  // namespace

bool parseFaultList(std::string_view text, const std::vector<std::string>& operations, std::vector<Fault>& out,
                    std::string* why)
{
    std::vector<Fault> faults;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isSeparator(text[pos]))
            ++pos;
        size_t end = pos;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        if (end > pos) {
            Fault fault;
            if (!parseEntry(text.substr(pos, end - pos), operations, fault, why))
                return false;
            faults.push_back(std::move(fault));
        }
        pos = end;
    }
    out = std::move(faults);
    return true;
}

std::vector<Fault> manifestFaults(const Manifest& manifest)
{
    std::vector<Fault> out;
    for (const Record* r : manifest.all("fault"))
        out.push_back(Fault{r->text("operation"), r->integer("call"), static_cast<HRESULT>(r->integer("result"))});
    return out;
}

FaultPlan::FaultPlan(std::vector<std::string> operations) : m_operations(std::move(operations))
{
    for (const std::string& op : m_operations)
        m_calls.emplace(op, 0);
    if (const char* text = std::getenv(kFaultVariable)) {
        std::string why;
        if (!parseFaultList(text, m_operations, m_environment, &why))
            m_brokenReason = std::string(kFaultVariable) + ": " + why;
    }
}

HRESULT FaultPlan::call(std::string_view operation)
{
    const auto it = m_calls.find(operation);
    if (it == m_calls.end())
        return E_UNEXPECTED;
    if (it->second < INT32_MAX)
        ++it->second;
    if (broken())
        return E_FAIL;
    for (const std::vector<Fault>* list : {&m_environment, &m_manifest})
        for (const Fault& f : *list)
            if (f.call == it->second && f.operation == operation)
                return f.result;
    return S_OK;
}

LONG FaultPlan::calls(std::string_view operation) const
{
    const auto it = m_calls.find(operation);
    return it == m_calls.end() ? 0 : it->second;
}

}  // namespace vendorkit
