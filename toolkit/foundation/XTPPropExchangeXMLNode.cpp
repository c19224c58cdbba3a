#include "toolkit/foundation/XTPPropExchangeXMLNode.h"

#include <cstring>
#include <cwctype>
#include <vector>

IMPLEMENT_DYNAMIC(CXTPPropExchangeXMLNode, CXTPPropExchange)

namespace {

// The DOMDocument class and the two interfaces the store asks it for.
const CLSID kClsidDomDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

CXTPBstr MakeBstr(const wchar_t* text)
{
    return CXTPBstr(SysAllocString(text ? text : L""));
}

CString FromBstr(const CXTPBstr& text)
{
    return CString(text.Get(), static_cast<int>(SysStringLen(text.Get())));
}

// The first child that the pattern selects, or an empty holder.
CXTPComPtr<IXMLDOMNode> SelectChild(IXMLDOMNode* parent, const wchar_t* pattern)
{
    CXTPComPtr<IXMLDOMNode> node;
    if (!parent)
        return node;
    const CXTPBstr query = MakeBstr(pattern);
    if (FAILED(parent->selectSingleNode(query.Get(), node.Put())))
        node.Reset();
    return node;
}

// Drops white space that stands alone between a tag and the next one, as a DOM that formats its
// own output puts there.
void DropWhitespaceAfterTag(CString& out)
{
    int keep = out.GetLength();
    while (keep > 0 && iswspace(out[keep - 1]))
        --keep;
    if (keep < out.GetLength() && keep > 0 && out[keep - 1] == L'>')
        out = out.Left(keep);
}

// Re-indents XML: every start tag (and any other "<" that is not an end tag) goes on a new line
// one tab deeper than its parent; an end tag that follows another tag goes on a line of its own
// at its start tag's depth; text stays where it is. White space already standing between two tags
// is replaced, so the result is the same whether or not the DOM formatted its text.
CString IndentXml(const CString& xml)
{
    CString out;
    CString indent(L'\t');
    const int length = xml.GetLength();
    if (length > 0)
        out.AppendChar(xml[0]);
    for (int i = 1; i < length; ++i) {
        const wchar_t ch = xml[i];
        const wchar_t next = i + 1 < length ? xml[i + 1] : L'\0';
        if (ch == L'<')
            DropWhitespaceAfterTag(out);
        if (ch == L'<' && next == L'/') {
            if (!indent.IsEmpty())
                indent = indent.Left(indent.GetLength() - 1);
            if (out[out.GetLength() - 1] == L'>')
                out += CString(L"\r\n") + indent;
        } else if (ch == L'<') {
            out += CString(L"\r\n") + indent;
            indent.AppendChar(L'\t');
        } else if (ch == L'/' && next == L'>') {
            if (!indent.IsEmpty())
                indent = indent.Left(indent.GetLength() - 1);
        }
        out.AppendChar(ch);
    }
    return out;
}

} // namespace

CXTPPropExchangeXMLNode::CXTPPropExchangeXMLNode(BOOL loading, IXMLDOMNode* parentNode, const wchar_t* section)
    : m_xmlParentNode(parentNode), m_strSectionName(section)
{
    m_bLoading = loading;
    if (parentNode) {
        if (FAILED(parentNode->get_ownerDocument(m_xmlDocument.Put())) || !m_xmlDocument)
            m_xmlDocument = m_xmlParentNode.As<IXMLDOMDocument>(kIidXmlDomDocument);
    }
}

CXTPPropExchangeXMLNode::~CXTPPropExchangeXMLNode() = default;

bool CXTPPropExchangeXMLNode::CreateDocument()
{
    CXTPComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_ALL, kIidXmlDomDocument,
                                reinterpret_cast<void**>(document.Put()))) ||
        !document)
        return false;
    // Texts such as help pages keep their line breaks and indentation.
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    m_xmlDocument = document;
    if (!m_bChildSection)
        m_xmlParentNode = document.As<IXMLDOMNode>(kIidXmlDomNode);
    return true;
}

CXTPComPtr<IXMLDOMNode> CXTPPropExchangeXMLNode::AppendElement(IXMLDOMNode* parent, const wchar_t* name)
{
    CXTPComPtr<IXMLDOMNode> added;
    if (!parent || !m_xmlDocument)
        return added;
    CXTPComPtr<IXMLDOMElement> element;
    const CXTPBstr tag = MakeBstr(name);
    if (FAILED(m_xmlDocument->createElement(tag.Get(), element.Put())) || !element)
        return added;
    if (FAILED(parent->appendChild(element.Get(), added.Put())))
        added.Reset();
    return added;
}

BOOL CXTPPropExchangeXMLNode::OpenStore()
{
    if (m_bInitialized)
        return m_xmlDocument && m_xmlParentNode && m_xmlSectionNode;
    m_bInitialized = TRUE;

    if (!m_xmlDocument && (m_bChildSection || !CreateDocument()))
        return FALSE;
    if (!m_xmlParentNode)
        return FALSE;
    m_xmlSectionNode = SelectChild(m_xmlParentNode.Get(), m_strSectionName);
    if (!m_xmlSectionNode)
        m_xmlSectionNode = AppendElement(m_xmlParentNode.Get(), m_strSectionName);
    if (!m_xmlSectionNode)
        return FALSE;

    if (!m_bChildSection) {
        // "CompactMode" is always an attribute of the root element. Documents without it were
        // written with values as child elements.
        const BOOL requested = m_bCompactMode;
        BOOL compact = requested;
        const BOOL off = FALSE;
        m_bCompactMode = TRUE;
        ExchangeValue(L"CompactMode", VT_BOOL, &compact, &off);
        m_bCompactMode = m_bLoading ? compact : requested;
    }
    return TRUE;
}

IXMLDOMNode* CXTPPropExchangeXMLNode::GetSectionNode()
{
    OpenStore();
    return m_xmlSectionNode.Get();
}

CXTPComPtr<IXMLDOMNode> CXTPPropExchangeXMLNode::FindValueNode(const wchar_t* name, bool create)
{
    CXTPComPtr<IXMLDOMNode> node;
    if (!m_xmlSectionNode)
        return node;
    if (!name || !*name)
        return m_xmlSectionNode;
    if (!m_bCompactMode) {
        node = SelectChild(m_xmlSectionNode.Get(), name);
        if (!node && create)
            node = AppendElement(m_xmlSectionNode.Get(), name);
        return node;
    }

    CXTPComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(m_xmlSectionNode->get_attributes(attributes.Put())) || !attributes)
        return node;
    const CXTPBstr attributeName = MakeBstr(name);
    if (FAILED(attributes->getNamedItem(attributeName.Get(), node.Put())))
        node.Reset();
    if (node || !create || !m_xmlDocument)
        return node;
    CXTPComPtr<IXMLDOMAttribute> attribute;
    if (FAILED(m_xmlDocument->createAttribute(attributeName.Get(), attribute.Put())) || !attribute)
        return node;
    if (FAILED(attributes->setNamedItem(attribute.Get(), node.Put())))
        node.Reset();
    return node;
}

BOOL CXTPPropExchangeXMLNode::ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue)
{
    return ExchangeKeyedValue(name, type, value, defaultValue);
}

BOOL CXTPPropExchangeXMLNode::SaveKeyedValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault)
{
    // The store writes into a fresh document: a value equal to its default is just left out,
    // without making the section's element for it.
    if (IsSameValue(type, value, effectiveDefault))
        return TRUE;
    if (!OpenStore())
        return FALSE;
    return WriteStoredValue(name, type, value, effectiveDefault);
}

BOOL CXTPPropExchangeXMLNode::LoadStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault)
{
    const CXTPComPtr<IXMLDOMNode> node = FindValueNode(name, false);
    CXTPBstr stored;
    if (!node || FAILED(node->get_text(stored.Put())))
        return CopyDefault(type, value, effectiveDefault);
    CString text = FromBstr(stored);
    if (type == VT_BSTR) {
        UnescapeText(text);
        *static_cast<BSTR*>(value) = SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength()));
        return TRUE;
    }
    return ExchangeText(text, type, value, effectiveDefault);
}

BOOL CXTPPropExchangeXMLNode::WriteStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault)
{
    CString text;
    if (type == VT_BSTR) {
        const BSTR source = *static_cast<const BSTR*>(value);
        text = CString(source, static_cast<int>(SysStringLen(source)));
    } else if (!ExchangeText(text, type, value, effectiveDefault)) {
        return FALSE;
    }
    const CXTPComPtr<IXMLDOMNode> node = FindValueNode(name, true);
    if (!node)
        return FALSE;
    const CXTPBstr newText = MakeBstr(text);
    return SUCCEEDED(node->put_text(newText.Get())) ? TRUE : FALSE;
}

BOOL CXTPPropExchangeXMLNode::LoadFromString(const char* text)
{
    if (!text)
        return FALSE;
    if (!m_xmlDocument && !CreateDocument())
        return FALSE;

    const size_t length = std::strlen(text);
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(length));
    if (!bytes)
        return FALSE;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(bytes, &data))) {
        SafeArrayDestroy(bytes);
        return FALSE;
    }
    std::memcpy(data, text, length);
    SafeArrayUnaccessData(bytes);

    VARIANT source;
    VariantInit(&source);
    source.vt = VT_ARRAY | VT_UI1;
    source.parray = bytes;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = m_xmlDocument->load(source, &loaded);
    VariantClear(&source);
    if (FAILED(hr) || loaded != VARIANT_TRUE)
        return FALSE;

    m_xmlParentNode = m_xmlDocument.As<IXMLDOMNode>(kIidXmlDomNode);
    m_xmlSectionNode.Reset();
    m_bInitialized = FALSE; // the next access finds the root element by the section name
    return TRUE;
}

BOOL CXTPPropExchangeXMLNode::LoadFromResource(HMODULE module, const wchar_t* name, const wchar_t* type)
{
    HRSRC resource = FindResourceW(module, name, type);
    if (!resource)
        return FALSE; // the lookup's error stays for the caller
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
    std::memcpy(text.data(), bytes, size);
    if (!LoadFromString(text.data())) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    return TRUE;
}

CString CXTPPropExchangeXMLNode::GetXML(BOOL formatted)
{
    if (!OpenStore())
        return CString();
    CXTPBstr xml;
    const HRESULT hr = m_bChildSection ? m_xmlSectionNode->get_xml(xml.Put()) : m_xmlDocument->get_xml(xml.Put());
    if (FAILED(hr))
        return CString();
    const CString text = FromBstr(xml);
    return formatted ? IndentXml(text) : text;
}

BOOL CXTPPropExchangeXMLNode::HasProperty(const wchar_t* name)
{
    if (!OpenStore())
        return FALSE;
    return FindValueNode(name, false) ? TRUE : FALSE;
}

CXTPPropExchange* CXTPPropExchangeXMLNode::GetSection(const wchar_t* name)
{
    OpenStore();
    auto* section = new CXTPPropExchangeXMLNode(m_bLoading, m_xmlSectionNode.Get(), name);
    section->m_xmlDocument = m_xmlDocument;
    section->m_bCompactMode = m_bCompactMode;
    section->InitSection(this);
    return section;
}

void CXTPPropExchangeXMLNode::EmptySection()
{
    m_bEmptySection = TRUE;
    OpenStore();
    if (m_xmlParentNode && m_xmlSectionNode) {
        CXTPComPtr<IXMLDOMNode> removed;
        m_xmlParentNode->removeChild(m_xmlSectionNode.Get(), removed.Put());
    }
    m_xmlSectionNode.Reset();
    m_bInitialized = FALSE; // the next value makes the element anew
}

CXTPPropExchangeEnumerator* CXTPPropExchangeXMLNode::GetEnumerator(const wchar_t* prefix)
{
    // A document that carries "Count" was written as numbered sections (prefix0, prefix1 ...).
    if (m_bLoading && HasProperty(L"Count"))
        return CXTPPropExchange::GetEnumerator(prefix);
    return new CXMLEnumerator(this, prefix);
}

// Element enumerator ----------------------------------------------------------------------------

CXTPPropExchangeXMLNode::CXMLEnumerator::CXMLEnumerator(CXTPPropExchangeXMLNode* container,
                                                        const wchar_t* sectionPrefix)
    : CXTPPropExchangeEnumerator(container, sectionPrefix)
{
}

CXTPPropExchangeXMLNode* CXTPPropExchangeXMLNode::CXMLEnumerator::Container() const
{
    return static_cast<CXTPPropExchangeXMLNode*>(m_pContainer);
}

POSITION CXTPPropExchangeXMLNode::CXMLEnumerator::GetPosition(DWORD count, BOOL)
{
    m_nCount = count;
    CXTPPropExchangeXMLNode* container = Container();
    if (!container)
        return nullptr;
    if (!container->IsLoading()) {
        // Saving writes one element per item; nothing at all for an empty list.
        return count ? reinterpret_cast<POSITION>(static_cast<UINT_PTR>(1)) : nullptr;
    }
    if (!container->OpenStore())
        return nullptr;
    const CXTPBstr pattern = MakeBstr(m_strSectionName.IsEmpty() ? L"*" : m_strSectionName.GetString());
    if (FAILED(container->m_xmlSectionNode->selectNodes(pattern.Get(), m_xmlNodes.Put())) || !m_xmlNodes)
        return nullptr;
    if (FAILED(m_xmlNodes->get_item(0, m_xmlSectionNode.Put())))
        m_xmlSectionNode.Reset();
    return m_xmlSectionNode ? reinterpret_cast<POSITION>(static_cast<UINT_PTR>(1)) : nullptr;
}

CXTPPropExchange* CXTPPropExchangeXMLNode::CXMLEnumerator::GetNext(POSITION& position)
{
    CXTPPropExchangeXMLNode* container = Container();
    if (!container) {
        position = nullptr;
        return nullptr;
    }
    const long index = static_cast<long>(reinterpret_cast<UINT_PTR>(position));
    auto* section = static_cast<CXTPPropExchangeXMLNode*>(container->GetSection(m_strSectionName));
    if (container->IsLoading()) {
        section->m_xmlSectionNode = m_xmlSectionNode;
        CXTPComPtr<IXMLDOMNode> next;
        if (!m_xmlNodes || FAILED(m_xmlNodes->get_item(index, next.Put())))
            next.Reset();
        m_xmlSectionNode = next;
        position = next ? reinterpret_cast<POSITION>(static_cast<UINT_PTR>(index + 1)) : nullptr;
    } else {
        section->m_xmlSectionNode = container->AppendElement(container->m_xmlSectionNode.Get(), m_strSectionName);
        position = static_cast<DWORD>(index) >= m_nCount ? nullptr
                                                          : reinterpret_cast<POSITION>(static_cast<UINT_PTR>(index + 1));
    }
    // The section uses the element it was given rather than looking one up by name.
    section->m_bInitialized = TRUE;
    return section;
}

DWORD CXTPPropExchangeXMLNode::CXMLEnumerator::GetCount()
{
    if (Container() && Container()->IsLoading()) {
        long length = 0;
        if (m_xmlNodes && SUCCEEDED(m_xmlNodes->get_length(&length)))
            return static_cast<DWORD>(length);
        return 0;
    }
    return m_nCount;
}
