#include "scpi/header_pattern.h"

#include "scpi/program_data.h"

namespace {

bool IsNameCharacter(char c)
{
    return c != '\0' && c != '[' && c != ']' && c != ':' && c != '|' && c != '#';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

CHeaderPattern::CHeaderPattern(const char* pszPattern)
{
    const char* p = pszPattern;
    if (*p == '*') {
        m_bCommon = true;
        ++p;
    }
    bool bOptional = false;
    bool bAlternative = false;
    while (*p != '\0') {
        if (!IsNameCharacter(*p)) {
            if (*p == '[' || *p == ']')
                bOptional = *p == '[';
            if (*p == '|')
                bAlternative = true;
            ++p;
            continue;
        }
        QByteArray name;
        while (IsNameCharacter(*p))
            name += *p++;
        if (bAlternative && !m_nodes.empty())
            m_nodes.back().longForms.push_back(name);
        else
            m_nodes.push_back({{name}, bOptional, *p == '#'});
        bAlternative = false;
    }
}

bool CHeaderPattern::IsCommon() const
{
    return m_bCommon;
}

bool CHeaderPattern::Node::Matches(const QByteArray& typed, Suffixes suffixes) const
{
    qsizetype nNameEnd = typed.size();
    while (nNameEnd > 0 && IsDigit(typed.at(nNameEnd - 1)))
        --nNameEnd;
    const QByteArray name = typed.left(nNameEnd);
    if (nNameEnd < typed.size() && suffixes == Suffixes::Allowed &&
        !(bTakesSuffix && typed.mid(nNameEnd).toInt() == 1))
        return false;
    for (const QByteArray& longForm : longForms) {
        if (IsMnemonic(name, longForm.constData()))
            return true;
    }
    return false;
}

std::optional<HeaderPath> CHeaderPattern::Match(const HeaderPath& path, const QList<QByteArray>& typed,
                                                Suffixes suffixes) const
{
    const int nNodes = static_cast<int>(m_nodes.size());
    if (typed.isEmpty() || path.size() > nNodes)
        return std::nullopt;
    for (int nNode = 0; nNode < path.size(); ++nNode) {
        if (m_nodes[static_cast<std::size_t>(nNode)].PathName() != path.at(nNode))
            return std::nullopt;
    }
    const int nLast = LastMatchedNode(static_cast<int>(path.size()), 0, typed, suffixes, -1);
    if (nLast < 0)
        return std::nullopt;
    HeaderPath next;
    for (int nNode = 0; nNode < nLast; ++nNode)
        next.append(m_nodes[static_cast<std::size_t>(nNode)].PathName());
    return next;
}

// Optional nodes may be left out anywhere; the node that takes the last typed
// mnemonic decides where the next command's header starts.
int CHeaderPattern::LastMatchedNode(int nNode, int nTyped, const QList<QByteArray>& typed, Suffixes suffixes,
                                    int nLastMatched) const
{
    const int nNodes = static_cast<int>(m_nodes.size());
    if (nTyped == typed.size()) {
        for (int nRest = nNode; nRest < nNodes; ++nRest) {
            if (!m_nodes[static_cast<std::size_t>(nRest)].bOptional)
                return -1;
        }
        return nLastMatched;
    }
    if (nNode == nNodes)
        return -1;
    const Node& node = m_nodes[static_cast<std::size_t>(nNode)];
    if (node.Matches(typed.at(nTyped), suffixes)) {
        const int nLast = LastMatchedNode(nNode + 1, nTyped + 1, typed, suffixes, nNode);
        if (nLast >= 0)
            return nLast;
    }
    return node.bOptional ? LastMatchedNode(nNode + 1, nTyped, typed, suffixes, nLastMatched) : -1;
}
