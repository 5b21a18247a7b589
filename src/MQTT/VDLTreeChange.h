#pragma once

class VDLClient;

// Holds a batch of tree changes open on a client for its lifetime: what the tree notes meanwhile
// is announced in one notice when the outermost batch ends (VDLClient::topicsChanged). Nested
// batches join the open one. A null client makes it do nothing.
// Threads: the GUI thread only.
class VDLTreeChange
{
public:
    explicit VDLTreeChange(VDLClient *client);
    ~VDLTreeChange();
    VDLTreeChange(const VDLTreeChange &) = delete;
    VDLTreeChange &operator=(const VDLTreeChange &) = delete;

private:
    VDLClient *const m_client;
};
