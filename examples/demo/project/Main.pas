unit Main;

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Dialogs,
  Menus, StdCtrls, ComCtrls;

type
  TfrmMain = class(TForm)
    mnuMain: TMainMenu;
    mnuFile: TMenuItem;
    mnuFileOpen: TMenuItem;
    mnuFileExit: TMenuItem;
    mnuHelp: TMenuItem;
    mnuHelpAbout: TMenuItem;
    lblItems: TLabel;
    lstItems: TListBox;
    lvFiles: TListView;
    btnOpen: TButton;
    dlgOpen: TOpenDialog;
    procedure mnuHelpAboutClick(Sender: TObject);
  end;

var
  frmMain: TfrmMain;

implementation

uses About;

{$R *.DFM}

procedure TfrmMain.mnuHelpAboutClick(Sender: TObject);
begin
  frmAbout.ShowModal;
end;

end.
