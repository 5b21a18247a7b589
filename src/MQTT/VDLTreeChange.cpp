#include "VDLTreeChange.h"

#include "VDLClient.h"

VDLTreeChange::VDLTreeChange(VDLClient *client)
    : m_client(client)
{
    if (m_client)
        m_client->beginTreeChange();
}

VDLTreeChange::~VDLTreeChange()
{
    if (m_client)
        m_client->endTreeChange();
}
