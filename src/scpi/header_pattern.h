#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <vector>

// The nodes above the next header that has no leading colon: the long forms,
// upper case, of the nodes before the last one the previous header named.
using HeaderPath = QList<QByteArray>;

// A command's header as SCPI documents write it, "[SOURce#:]FREQuency[:CW|:FIXed]":
// brackets around optional nodes, capitals for the short form, '|' between
// alternatives of one node, '#' after a node that takes the numeric suffix 1
// (SOUR1, as drivers of one-channel instruments send it). Common commands are
// written "*IDN".
class CHeaderPattern {
public:
    // How typed numeric suffixes are matched: only where the header takes
    // one, or ignored, to tell a suffix out of range from an unknown header.
    enum class Suffixes { Allowed, Ignored };

    explicit CHeaderPattern(const char* pszPattern);

    bool IsCommon() const;
    // The typed mnemonics, upper case, read below the path. Gives the path
    // the next command starts from; none when they do not name this header.
    std::optional<HeaderPath> Match(const HeaderPath& path, const QList<QByteArray>& typed,
                                    Suffixes suffixes = Suffixes::Allowed) const;

private:
    struct Node {
        std::vector<QByteArray> longForms;
        bool bOptional = false;
        bool bTakesSuffix = false;

        QByteArray PathName() const { return longForms.front().toUpper(); }
        bool Matches(const QByteArray& typed, Suffixes suffixes) const;
    };

    int LastMatchedNode(int nNode, int nTyped, const QList<QByteArray>& typed, Suffixes suffixes,
                        int nLastMatched) const;

    bool m_bCommon = false;
    std::vector<Node> m_nodes;
};
