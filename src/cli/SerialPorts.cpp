#include "SerialPorts.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace vantrel::cli {

std::vector<std::string> AvailablePortNames() {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names.push_back(info.portName().toStdString());
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string ExplainPortFailure(const PortOpenFailure& failure,
                               const std::vector<std::string>& ports) {
    std::string text = DescribePortOpenFailure(failure);
    switch (failure.error) {
        case PortOpenError::NotFound: {
            if (ports.empty()) {
                text += ".\nNo serial ports were found on this computer.";
                break;
            }
            text += ".\nSerial ports found:";
            for (const std::string& port : ports) text += " " + port;
            text += "\nChoose one with --port NAME or: vantrel settings Port NAME";
            break;
        }
        case PortOpenError::BadBaudRate:
            text += ".\nGive --baud, or store a rate with: vantrel settings \"Baud Rate\" 9600";
            break;
        case PortOpenError::AccessDenied:
            text += ".\nFor example: sudo adduser $USER " +
                    (failure.group.empty() ? std::string("dialout") : failure.group);
            break;
        case PortOpenError::InUse:
            text += ".\nClose the other program, or choose another port with --port.";
            break;
        default:
            text += ".";
            break;
    }
    return text;
}

}  // namespace vantrel::cli
