#pragma once
// CXTPPropExchangeXMLNode: the property exchange over an XML document in the platform's DOM
// (MSXML over COM; the caller initialises COM on its thread). A section is an element; a value
// is, in compact mode, an attribute of the section's element, otherwise a child element whose
// text is the value; a list saved through the enumerator is a run of sibling elements of one
// name. The document lives in memory: it is loaded from text or a resource and read back with
// GetXML. Every DOM failure is a result (FALSE, an empty text, the default), never an exception.

#include "toolkit/foundation/XTPComPtr.h"
#include "toolkit/foundation/XTPPropExchange.h"

#include <msxml2.h>

class CXTPPropExchangeXMLNode : public CXTPPropExchange {
    DECLARE_DYNAMIC(CXTPPropExchangeXMLNode)
public:
    // parentNode: the node under which this section's element lives (a reference is taken); null
    // for a root store, which makes its own document on first use.
    CXTPPropExchangeXMLNode(BOOL loading, IXMLDOMNode* parentNode, const wchar_t* section);
    ~CXTPPropExchangeXMLNode() override;

    // Parses 8-bit text (the declared encoding is the parser's business) into the document.
    [[nodiscard]] BOOL LoadFromString(const char* text);
    // Parses a resource of the module; FALSE with the system's last error set when the resource
    // is missing (its lookup error) or cannot be parsed (ERROR_INVALID_DATA).
    [[nodiscard]] BOOL LoadFromResource(HMODULE module, const wchar_t* name, const wchar_t* type);
    // The XML text of the document (root) or of this element (section); re-indented with tabs and
    // line breaks when formatted is set; empty when the store cannot be opened.
    CString GetXML(BOOL formatted = FALSE);
    // TRUE when the value exists (an attribute in compact mode, else a child element).
    BOOL HasProperty(const wchar_t* name);
    void SetCompactMode(BOOL compact) { m_bCompactMode = compact; }
    BOOL IsCompactMode() const { return m_bCompactMode; }
    // This section's element (opening the store), or null.
    IXMLDOMNode* GetSectionNode();

    BOOL OpenStore() override;
    CXTPPropExchange* GetSection(const wchar_t* name) override;
    BOOL ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue) override;
    void EmptySection() override;
    CXTPPropExchangeEnumerator* GetEnumerator(const wchar_t* prefix) override;

    // Walks the child elements of one name; saving appends one element per item.
    class CXMLEnumerator : public CXTPPropExchangeEnumerator {
    public:
        CXMLEnumerator(CXTPPropExchangeXMLNode* container, const wchar_t* sectionPrefix);
        POSITION GetPosition(DWORD count = 0, BOOL storeCount = TRUE) override;
        CXTPPropExchange* GetNext(POSITION& position) override;
        DWORD GetCount() override;

    private:
        CXTPPropExchangeXMLNode* Container() const;

        CXTPComPtr<IXMLDOMNode> m_xmlSectionNode;   // loading: the element GetNext hands out next
        CXTPComPtr<IXMLDOMNodeList> m_xmlNodes;     // loading: the matching children
    };

private:
    BOOL SaveKeyedValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault) override;
    BOOL LoadStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault) override;
    BOOL WriteStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault) override;
    bool CreateDocument();
    // A new element of the name appended to the parent, or an empty holder.
    CXTPComPtr<IXMLDOMNode> AppendElement(IXMLDOMNode* parent, const wchar_t* name);
    // The node of a value (the element itself for an empty name); made when create is set.
    CXTPComPtr<IXMLDOMNode> FindValueNode(const wchar_t* name, bool create);

    CXTPComPtr<IXMLDOMDocument> m_xmlDocument;
    CXTPComPtr<IXMLDOMNode> m_xmlParentNode;
    CXTPComPtr<IXMLDOMNode> m_xmlSectionNode;
    CString m_strSectionName;
    BOOL m_bCompactMode = TRUE;
};
