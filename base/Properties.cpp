// Properties fetched by identifier, and the listeners told when one changes.
#include "VelqAuBase.h"

OSStatus VelqAuBase::GetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus VelqAuBase::GetPropertyInfo(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, UInt32&, unsigned char&)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus VelqAuBase::SetProperty(AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void*, UInt32)
{
    return kAudioUnitErr_InvalidProperty;
}

OSStatus VelqAuBase::AddPropertyListener(AudioUnitPropertyID propertyID, PropertyListenerProc listenerProc,
                                         void* userData)
{
    if (propertyListeners.empty())
        propertyListeners.reserve(32); // the usual number of listeners without a further allocation
    propertyListeners.push_back({propertyID, listenerProc, userData});
    return noErrStatus;
}

// Removes every registration of this callback for this property, whatever its user data.
OSStatus VelqAuBase::RemovePropertyListener(AudioUnitPropertyID propertyID, PropertyListenerProc listenerProc)
{
    std::erase_if(propertyListeners, [&](const PropertyListener& listener) {
        return listener.propertyID == propertyID && listener.listenerProc == listenerProc;
    });
    return noErrStatus;
}

void VelqAuBase::PropertyChanged(AudioUnitPropertyID propertyID, AudioUnitScope scope, AudioUnitElement element)
{
    for (const PropertyListener& listener : propertyListeners) {
        if (listener.propertyID == propertyID)
            listener.listenerProc(listener.userData, this, propertyID, scope, element);
    }
}

OSStatus AudioUnitGetPropertyInfo(VelqAuBase* unit, AudioUnitPropertyID propertyID, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, unsigned char* outWritable)
{
    return unit->GetPropertyInfo(propertyID, scope, element, *outDataSize, *outWritable);
}

OSStatus AudioUnitGetProperty(VelqAuBase* unit, AudioUnitPropertyID propertyID, AudioUnitScope scope,
                              AudioUnitElement element, void* outData, UInt32* /*ioDataSize*/)
{
    return unit->GetProperty(propertyID, scope, element, outData);
}

OSStatus AudioUnitSetProperty(VelqAuBase* unit, AudioUnitPropertyID propertyID, AudioUnitScope scope,
                              AudioUnitElement element, const void* inData, UInt32 inDataSize)
{
    const OSStatus status = unit->SetProperty(propertyID, scope, element, inData, inDataSize);
    if (status == noErrStatus)
        unit->PropertyChanged(propertyID, scope, element);
    return status;
}

OSStatus AudioUnitAddPropertyListener(VelqAuBase* unit, AudioUnitPropertyID propertyID,
                                      PropertyListenerProc listenerProc, void* userData)
{
    return unit->AddPropertyListener(propertyID, listenerProc, userData);
}

OSStatus AudioUnitRemovePropertyListener(VelqAuBase* unit, AudioUnitPropertyID propertyID,
                                         PropertyListenerProc listenerProc)
{
    return unit->RemovePropertyListener(propertyID, listenerProc);
}
