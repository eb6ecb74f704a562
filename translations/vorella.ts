<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name>CAboutBox</name>
    <message>
        <location filename="../src/ui/dialogs/AboutBox.cpp" line="+16"/>
        <source>About %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Telephone call recorder and answering machine</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CCallListModel</name>
    <message>
        <location filename="../src/ui/main/CallListModel.cpp" line="+127"/>
        <source>Message on the answering machine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Recorded conversation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Conversation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Important</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CCallerPanel</name>
    <message>
        <location filename="../src/ui/main/CallerPanel.cpp" line="+22"/>
        <source>Caller&apos;s name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Caller&apos;s number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Memo on the call</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>&amp;From:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>N&amp;umber:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>M&amp;emo:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CDesktopNotice</name>
    <message>
        <location filename="../src/ui/popup/DesktopNotice.cpp" line="+26"/>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+1"/>
        <source>Show</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFolderTree</name>
    <message>
        <location filename="../src/ui/main/FolderTree.cpp" line="+41"/>
        <source>Call folders</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <location filename="../src/ui/main/MainDlg.cpp" line="+131"/>
        <source>Search names, numbers, memos, dates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Search the calls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Search:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Calls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Columns of the call list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/main/MainDlgRecordings.cpp" line="+201"/>
        <location line="+1"/>
        <source>Play a File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+38"/>
        <location line="+1"/>
        <source>Save as</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+32"/>
        <source>Move to Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Folder (type a new name to make a folder in &quot;Recorded Calls&quot;):</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMainMenu</name>
    <message>
        <location filename="../src/ui/main/MainMenu.cpp" line="+72"/>
        <location line="+2"/>
        <source>Call buttons</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>More call buttons</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CNotifyDlg</name>
    <message>
        <location filename="../src/ui/popup/NotifyDlg.cpp" line="+26"/>
        <source>Incoming call</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CPlayerBar</name>
    <message>
        <location filename="../src/ui/main/PlayerBar.cpp" line="+24"/>
        <source>Play or pause the recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Play on this computer (Ctrl+Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Ctrl+Space</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Position in the recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Position and length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;Volume:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CQtFrontEnd</name>
    <message>
        <location filename="../src/ui/frontend/QtFrontEnd.cpp" line="+320"/>
        <source>Monitoring paused</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CRecGreetDlg</name>
    <message>
        <location filename="../src/ui/dialogs/RecGreetDlg.cpp" line="+39"/>
        <source>Record Greeting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Browse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Greeting &amp;file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Modem&apos;s &amp;voice source:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sound card &amp;input:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Record through the modem</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Play through the modem</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Record from the &amp;sound card</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Listen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>S&amp;top</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Discard the new recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+80"/>
        <source>Working... Stop ends it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>New greeting recorded (%1 s). OK keeps it; Cancel keeps the old one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Greeting file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
