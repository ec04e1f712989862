#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <vector>

// The nodes above the next header that has no leading colon: the long forms,
// upper case, of the nodes before the last one the previous header named.
using HeaderPath = QList<QByteArray>;

// A command's header as SCPI documents write it, "[SOURce:]FREQuency[:CW|:FIXed]":
// brackets around optional nodes, capitals for the short form, '|' between
// alternatives of one node. Common commands are written "*IDN".
class CHeaderPattern {
public:
    explicit CHeaderPattern(const char* pszPattern);

    bool IsCommon() const;
    // The typed mnemonics, upper case, read below the path. Gives the path
    // the next command starts from; none when they do not name this header.
    std::optional<HeaderPath> Match(const HeaderPath& path, const QList<QByteArray>& typed) const;

private:
    struct Node {
        std::vector<QByteArray> longForms;
        bool bOptional = false;

        QByteArray PathName() const { return longForms.front().toUpper(); }
        bool Matches(const QByteArray& typed) const;
    };

    int LastMatchedNode(int nNode, int nTyped, const QList<QByteArray>& typed, int nLastMatched) const;

    bool m_bCommon = false;
    std::vector<Node> m_nodes;
};
